#include <gtest/gtest.h>

#include "config/AddByAddress.h"
#include "config/Validation.h"
#include "support/FakeUi.h"

namespace pm::test {
namespace {

TEST(AddByAddress, RefusesAddressesThatCannotBeAHostAndWritesNothing) {
    for (const char* text : {"127.0.0.1", "0.0.0.0", "224.0.0.1", "10.0.0.0", "192.168.1.255",
                             "255.255.255.255", "172.16.0.0"}) {
        SCOPED_TRACE(text);
        FakeUi ui;
        DeviceRecord entry;
        SetText(entry.ip_text, "untouched");
        entry.ip = 42;
        const DeviceRecord before = entry;
        EXPECT_FALSE(ApplyAddByAddress(ui, *ParseAddress(text), entry));
        EXPECT_EQ(entry, before);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0],
                  (Message{"Invalid IP address.", " Error", Icon::Error, Owner::Form}));
    }
}

TEST(AddByAddress, WritesAFreshEntry) {
    for (const char* text : {"10.1.2.3", "192.168.1.20"}) {
        SCOPED_TRACE(text);
        FakeUi ui;
        DeviceRecord entry;
        SetText(entry.mac_text, "0012ab34cdef");  // leftovers of an old entry go
        SetText(entry.system_name, "old");
        entry.capabilities[0] = 0x1FF;
        entry.group_interval = 300;
        ASSERT_TRUE(ApplyAddByAddress(ui, *ParseAddress(text), entry));
        EXPECT_TRUE(ui.messages.empty());

        DeviceRecord expected;
        expected.id_stamp = 0x01945AE0;
        SetText(expected.ip_text, text);
        expected.ip = *ParseAddress(text);
        expected.row_flag = 0;
        expected.status_mark = -1;
        EXPECT_EQ(entry, expected);
    }
}

}  // namespace
}  // namespace pm::test
