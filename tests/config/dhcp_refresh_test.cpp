#include <gtest/gtest.h>

#include "app/ProgramContexts.h"
#include "config/DhcpRefresh.h"
#include "config/SetPacket.h"
#include "support/TestProgram.h"

namespace pm::test {
namespace {

class DhcpRefreshTest : public ::testing::Test {
  protected:
    DhcpRefreshTest() {
        DeviceRecord d;
        SetText(d.mac_text, "a0b1c2d3e4f5");
        SetText(d.product_name, "QR_VM410_16");
        SetText(d.system_name, "");
        SetText(d.location, "Hall");
        d.ip = *ParseAddress("10.1.2.3");
        d.mask = *ParseAddress("255.0.0.0");
        d.gateway = *ParseAddress("10.0.0.1");
        d.capabilities[0] = 0x3FF;
        d.ip_mode = 0;
        d.group_interval = -1;
        d.revision = 3;
        p.lists.discovery[0] = d;
        p.lists.monitor[0] = d;
        p.selection = {0, ListKind::Discovery, 1, 1};
        p.sequence = 0x0102;
    }
    SetPacket Broadcast() const {
        const auto b = t.net.Of(SendKind::Broadcast);
        return b.empty() ? SetPacket{} : ReadSetPacket(b[0].bytes);
    }

    TestProgram t;
    Program& p = t.program;
    const SetRequestContext context = SetRequestContextOf(p);
    DeviceRecord workingCopy;
};

TEST_F(DhcpRefreshTest, StaticSwitchGetsItsSettingsWithZeroAddresses) {
    RefreshDhcp(context, "pw", workingCopy);
    EXPECT_TRUE(t.ui.messages.empty());
    ASSERT_EQ(t.net.sent.size(), 2u);
    const auto& bytes = t.net.sent[0].bytes;
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(bytes[10], 0x00);
    EXPECT_EQ(bytes[11], 0x06);
    EXPECT_EQ(bytes[26], 0x01);
    EXPECT_EQ(bytes[27], 0x02);

    const SetPacket r = Broadcast();
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.major, 2);
    EXPECT_EQ(r.command, 3);
    EXPECT_EQ(r.deviceMac, "a0b1c2d3e4f5");
    EXPECT_EQ(r.Types(), (std::vector<uint16_t>{9, 1, 2, 3, 4, 6, 5, 10}));
    EXPECT_EQ(r.Find(9)->Text(), "pw");
    EXPECT_EQ(r.Find(1)->Text(), "QR_VM410_16");
    EXPECT_EQ(r.Find(2)->Text(), " ");
    EXPECT_EQ(r.Find(3)->Text(), "Hall");
    for (uint16_t type : {4, 6, 5})
        EXPECT_EQ(r.Find(type)->Number(), 0u);
    EXPECT_EQ(r.Find(10)->length, 6);
    EXPECT_EQ(r.Find(10)->Number(), 0u);

    EXPECT_STREQ(p.pending.mac_text, "a0b1c2d3e4f5");
    EXPECT_EQ(p.pending.address, *ParseAddress("10.1.2.3"));  // the switch's current address
}

TEST_F(DhcpRefreshTest, FieldVariants) {
    struct Case {
        const char* name;
        uint16_t mode;
        uint16_t revision;
        uint32_t word0, word1;
        int32_t interval;
        const char* password;
        std::vector<uint16_t> types;
    };
    const Case cases[] = {
        {"mode not reported", 3, 3, 0x3FF, 0, -1, "pw", {9, 1, 2, 3, 4, 6, 5}},
        {"empty password", 1, 3, 0x3FF, 0, -1, "", {9, 1, 2, 3, 4, 6, 5, 10}},
        {"three-way mode only", 1, 3, 0x1FF, 1, -1, "pw", {9, 1, 2, 3, 4, 6, 5, 10}},
        {"group interval", 1, 3, 0x3FF | 0x200000, 0, 300, "pw", {9, 1, 2, 3, 4, 6, 5, 10, 22}},
        {"no fields accepted", 1, 3, 0, 0, 300, "pw", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        t.net.sent.clear();
        auto& d = p.lists.discovery[0];
        d.ip_mode = c.mode;
        d.revision = c.revision;
        d.capabilities[0] = c.word0;
        d.capabilities[1] = c.word1;
        d.group_interval = c.interval;
        RefreshDhcp(context, c.password, workingCopy);
        const SetPacket r = Broadcast();
        EXPECT_TRUE(r.complete);
        EXPECT_EQ(r.Types(), c.types);
        if (const Field* f = r.Find(9)) {
            EXPECT_EQ(f->length, 4 + std::string(c.password).size());
        }
        if (const Field* f = r.Find(22)) {
            EXPECT_EQ(f->Number(), 300u);
        }
    }
}

TEST_F(DhcpRefreshTest, RevisionOneSendsAOneByteMode) {
    p.lists.discovery[0].revision = 1;
    p.lists.discovery[0].ip_mode = 1;
    RefreshDhcp(context, "pw", workingCopy);
    const SetPacket r = Broadcast();
    ASSERT_NE(r.Find(10), nullptr);
    EXPECT_EQ(r.Find(10)->length, 5);
    EXPECT_EQ(r.Find(10)->value, std::vector<uint8_t>{1});
    // The header still says revision 6: it marks the refresh, not the switch.
    EXPECT_EQ(r.revision, 6);
}

TEST_F(DhcpRefreshTest, MonitoredSwitchByUnicastAndItsFailure) {
    p.selection.list = ListKind::Monitor;
    RefreshDhcp(context, "pw", workingCopy);
    ASSERT_EQ(t.net.sent.size(), 1u);
    EXPECT_EQ(t.net.sent[0].kind, SendKind::ToDevice);
    EXPECT_EQ(t.net.sent[0].address, *ParseAddress("10.1.2.3"));
    EXPECT_EQ(ReadSetPacket(t.net.sent[0].bytes).command, 7);
    EXPECT_EQ(p.lists.monitor[0].missed_polls, 1);

    t.net.failKinds = {SendKind::ToDevice};
    RefreshDhcp(context, "pw", workingCopy);
    EXPECT_EQ(SendDhcpRefresh(context, workingCopy), SetOutcome::SendFailed);
    ASSERT_FALSE(t.ui.messages.empty());
    EXPECT_EQ(t.ui.messages[0],
              (Message{"Unicast set send error", "Error", Icon::Error, Owner::NoWindow}));

    t.ui.Clear();
    p.selection.list = ListKind::Discovery;
    t.net.failKinds = {SendKind::Broadcast};
    RefreshDhcp(context, "pw", workingCopy);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"UDP set send error"});
}

}  // namespace
}  // namespace pm::test
