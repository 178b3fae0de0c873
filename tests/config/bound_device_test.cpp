// A form stays with the switch it was opened for, and its working copy keeps no password once
// the request is out.
#include <gtest/gtest.h>

#include "app/ProgramContexts.h"
#include "config/ConfigurationSet.h"
#include "config/DhcpRefresh.h"
#include "config/PasswordChange.h"
#include "config/SetPacket.h"
#include "support/Devices.h"

namespace pm::test {
namespace {

class BoundDeviceTest : public ::testing::Test {
  protected:
    BoundDeviceTest() { MakeColumns(p); }
    static DeviceRecord Switch(uint8_t macLast, uint32_t ip) {
        DeviceRecord d = MakeDevice(macLast, ip);
        d.capabilities[0] = 0x3FF;
        d.revision = 3;
        d.ip_mode = 1;
        return d;
    }

    TestProgram t;
    Program& p = t.program;
    DeviceRecord workingCopy;
};

TEST_F(BoundDeviceTest, TheSwitchIsFoundByMacInEitherTableOrReportedGone) {
    AddDiscovered(p, Switch(2, Ip(10, 0, 0, 2)));
    AddDiscovered(p, Switch(1, Ip(10, 0, 0, 1)));
    auto at = FindBoundDevice(p.lists, "001c2d3e0001", p.ui);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->list, ListKind::Discovery);
    EXPECT_EQ(at->index, 1);
    EXPECT_EQ(at->discoveryCount, 2);

    // In both lists: the monitor entry is the one the program polls and sends to.
    AddMonitored(p, Switch(1, Ip(10, 0, 0, 1)));
    at = FindBoundDevice(p.lists, "001c2d3e0001", p.ui);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->list, ListKind::Monitor);
    EXPECT_EQ(at->index, 0);
    EXPECT_TRUE(t.ui.messages.empty());

    EXPECT_FALSE(FindBoundDevice(p.lists, "001c2d3e0009", p.ui));
    EXPECT_FALSE(FindBoundDevice(p.lists, "", p.ui));
    ASSERT_EQ(t.ui.messages.size(), 2u);
    EXPECT_EQ(t.ui.messages[0],
              (Message{DeviceGoneMessage("001c2d3e0009"), "Error", Icon::Error, Owner::Form}));
}

TEST_F(BoundDeviceTest, WorkingCopiesKeepNoPasswordOnceTheRequestIsOut) {
    AddDiscovered(p, Switch(1, Ip(10, 0, 0, 1)));
    const auto at = SelectionOfMac(p.lists, "001c2d3e0001");
    ASSERT_TRUE(at);
    const SetRequestContext context = SetRequestContextOf(p, *at);

    ASSERT_EQ(ChangePassword(context, {"old", "new", "new"}, workingCopy), SetOutcome::Sent);
    EXPECT_EQ(ReadSetPacket(t.net.sent.back().bytes).fields[1].Text(), "new");
    EXPECT_STREQ(workingCopy.password, "");
    EXPECT_STREQ(workingCopy.new_password, "");

    ASSERT_EQ(RefreshDhcp(context, "pw", workingCopy), SetOutcome::Sent);
    EXPECT_EQ(ReadSetPacket(t.net.sent.back().bytes).fields[0].Text(), "pw");
    EXPECT_STREQ(workingCopy.password, "");

    ConfigurationInput in;
    in.mode = IpModeChoice::Dhcp;
    in.password = "pw";
    ASSERT_EQ(SetConfiguration(context, in, workingCopy), SetOutcome::Sent);
    EXPECT_STREQ(workingCopy.password, "");
    // A refused request forgets the password too.
    EXPECT_EQ(ChangePassword(context, {"old", "new", "other"}, workingCopy), SetOutcome::Refused);
    EXPECT_STREQ(workingCopy.password, "");
    EXPECT_STREQ(workingCopy.new_password, "");
}

}  // namespace
}  // namespace pm::test
