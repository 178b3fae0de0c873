#include <gtest/gtest.h>

#include "app/ProgramContexts.h"
#include "config/PasswordChange.h"
#include "config/SetPacket.h"
#include "support/TestProgram.h"

namespace pm::test {
namespace {

class PasswordChangeTest : public ::testing::Test {
  protected:
    PasswordChangeTest() {
        DeviceRecord d;
        SetText(d.mac_text, "0012ab34cdef");
        SetText(d.ip_text, "192.168.1.10");
        d.ip = *ParseAddress("192.168.1.10");
        d.capabilities[0] = 0x1FF;
        d.answered = 1;
        p.lists.discovery[0] = d;
        p.lists.monitor[0] = d;
        p.sequence = 77;
    }
    void Select(ListKind list) { p.selection = {0, list, 1, 1}; }

    TestProgram t;
    Program& p = t.program;
    const SetRequestContext context = SetRequestContextOf(p);
    DeviceRecord workingCopy;
};

TEST_F(PasswordChangeTest, SendsOriginalThenNewPassword) {
    Select(ListKind::Discovery);
    const std::string twenty(20, 'N');
    ASSERT_TRUE(ClosesForm(ChangePassword(context, {"old:pw", twenty, twenty}, workingCopy)));
    EXPECT_TRUE(t.ui.messages.empty());
    ASSERT_EQ(t.net.sent.size(), 2u);
    EXPECT_EQ(t.net.sent[0].kind, SendKind::Broadcast);
    EXPECT_EQ(t.net.sent[1].kind, SendKind::Multicast);

    const SetPacket r = ReadSetPacket(t.net.sent[0].bytes);
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.command, 3);
    EXPECT_EQ(r.minor, 0);
    EXPECT_EQ(r.revision, 0);
    EXPECT_EQ(r.deviceMac, "0012ab34cdef");
    EXPECT_EQ(r.headerId, 0x0000ABCDu);
    EXPECT_EQ(r.sequence, 77);
    EXPECT_EQ(r.Types(), (std::vector<uint16_t>{9, 8}));
    EXPECT_EQ(r.fields[0].Text(), "old:pw");  // the original is checked for length only
    EXPECT_EQ(r.fields[1].Text(), twenty);

    EXPECT_STREQ(p.pending.mac_text, "0012ab34cdef");
    EXPECT_EQ(p.pending.address, 0u);  // a password change records no address
    EXPECT_EQ(p.lists.monitor[0].answered, 0);
}

TEST_F(PasswordChangeTest, MonitoredSwitchByUnicastWithItsOwnMessage) {
    Select(ListKind::Monitor);
    ASSERT_TRUE(ClosesForm(ChangePassword(context, {"old", "new", "new"}, workingCopy)));
    ASSERT_EQ(t.net.sent.size(), 1u);
    EXPECT_EQ(t.net.sent[0].kind, SendKind::ToDevice);
    EXPECT_EQ(t.net.sent[0].address, p.lists.monitor[0].ip);
    EXPECT_EQ(ReadSetPacket(t.net.sent[0].bytes).command, 7);

    t.net.failKinds = {SendKind::ToDevice};
    EXPECT_TRUE(ClosesForm(ChangePassword(context, {"old", "new", "new"}, workingCopy)));
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0],
              (Message{"Unicast set send error.", "Error", Icon::Error, Owner::NoWindow}));

    t.ui.Clear();
    Select(ListKind::Discovery);
    t.net.failKinds = {SendKind::Multicast};
    EXPECT_TRUE(ClosesForm(ChangePassword(context, {"old", "new", "new"}, workingCopy)));
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"UDP set send error"});
}

TEST_F(PasswordChangeTest, LoaderStillGetsCommandSevenNotFourteen) {
    p.lists.monitor[0].loader = 100;
    Select(ListKind::Monitor);
    ASSERT_TRUE(ClosesForm(ChangePassword(context, {"old", "new", "new"}, workingCopy)));
    EXPECT_EQ(ReadSetPacket(t.net.sent.at(0).bytes).command, 7);
}

TEST_F(PasswordChangeTest, SwitchWithoutPasswordFieldsGetsTheHeaderAlone) {
    p.lists.discovery[0].capabilities[0] = 0x7F;
    Select(ListKind::Discovery);
    ASSERT_TRUE(ClosesForm(ChangePassword(context, {"old", "new", "new"}, workingCopy)));
    EXPECT_EQ(t.net.sent.at(0).bytes.size(), 40u);
}

TEST_F(PasswordChangeTest, ChecksInOrder) {
    Select(ListKind::Discovery);
    const std::string rule = "Password must be 1-20 characters length.";
    const std::string long21(21, 'x');
    struct Case {
        PasswordInput in;
        std::string message;
    };
    const Case cases[] = {
        {{"", "", ""}, rule},
        {{"", "a:b", "ABC"}, rule},
        {{long21, "new", "new"}, rule},
        {{"old", "", "new"}, rule},
        {{"old", long21, long21}, rule},
        {{"old", "new", ""}, rule},
        {{"old", "new", long21}, rule},
        {{"old", "abc", "ABC"}, "Confirm password fail"},
        {{"old", "a:b", "a:c"}, "Confirm password fail"},
        {{"old", "a:b", "a:b"}, "Please input valid new password!"},
        {{"old", ":ab", ":ab"}, "Please input valid new password!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in.original + "/" + c.in.newPassword + "/" + c.in.confirm);
        t.ui.Clear();
        EXPECT_FALSE(ClosesForm(ChangePassword(context, c.in, workingCopy)));
        ASSERT_EQ(t.ui.messages.size(), 1u);
        EXPECT_EQ(t.ui.messages[0], (Message{c.message, "Error", Icon::Error, Owner::Form}));
    }
    EXPECT_TRUE(t.net.sent.empty());
}

}  // namespace
}  // namespace pm::test
