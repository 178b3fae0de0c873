// One box at a time, in order, repeats counted, and events paced and bounded: in virtual time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/NoticeBoard.h"
#include "support/VirtualLoop.h"

namespace pm {
namespace {

struct Boxes : NoticePresenter {
    void OpenBox(const QueuedNotice& n) override { opened.push_back(BoxText(n)); }
    void UpdateBox(const QueuedNotice& n) override { updated.push_back(BoxText(n)); }
    std::vector<std::string> opened;
    std::vector<std::string> updated;
};

class NoticeBoardTest : public ::testing::Test {
  protected:
    void User(const std::string& text) {
        board.Raise(text, "Error", Icon::Error, Owner::MainWindow, Cause::UserCommand);
    }
    void Event(const std::string& text) {
        board.Raise(text, "Error", Icon::Error, Owner::MainWindow, Cause::Event);
    }

    test::VirtualLoop loop;
    Boxes boxes;
    NoticeBoard board{loop, boxes};
};

TEST_F(NoticeBoardTest, OneBoxAtATimeInTheOrderRaised) {
    User("first");
    User("second");
    User("third");
    EXPECT_EQ(boxes.opened, std::vector<std::string>{"first"});
    EXPECT_EQ(board.Waiting().size(), 2u);
    board.Closed();
    board.Closed();
    EXPECT_EQ(boxes.opened, (std::vector<std::string>{"first", "second", "third"}));
    board.Closed();
    EXPECT_FALSE(board.Busy());
}

TEST_F(NoticeBoardTest, RepeatsAreCountedIntoTheOpenOrWaitingBox) {
    User("Password incorrect.");
    User("syslog.log not exit");
    User("Password incorrect.");
    User("syslog.log not exit");
    User("Password incorrect.");
    // The same text under another caption is another message.
    board.Raise("Password incorrect.", "Warning", Icon::Warning, Owner::MainWindow,
                Cause::UserCommand);
    EXPECT_EQ(boxes.opened, std::vector<std::string>{"Password incorrect."});
    EXPECT_EQ(boxes.updated, (std::vector<std::string>{"Password incorrect.\n\n(2 times)",
                                                       "Password incorrect.\n\n(3 times)"}));
    ASSERT_EQ(board.Waiting().size(), 2u);
    board.Closed();
    EXPECT_EQ(boxes.opened.back(), "syslog.log not exit\n\n(2 times)");
}

TEST_F(NoticeBoardTest, AFloodOfOneTextIsOneBox) {
    for (int i = 0; i < 10000; ++i)
        Event("command Error");
    EXPECT_EQ(boxes.opened.size(), 1u);
    EXPECT_TRUE(board.Waiting().empty());
    EXPECT_EQ(board.OpenNotice()->count, 10000);
}

TEST_F(NoticeBoardTest, DifferentEventTextsAreBoundedAndPaced) {
    for (int i = 0; i < 10000; ++i)
        Event("Device return : " + std::to_string(i));
    // One open, at most kMaxWaitingEvents more and the one that counts the rest.
    ASSERT_EQ(board.Waiting().size(), NoticeBoard::kMaxWaitingEvents + 1);
    EXPECT_EQ(board.Waiting().back().text, kNoticesLeftOut);
    EXPECT_EQ(board.Waiting().back().count, 10000 - 1 - 16);

    // A user who closes every box at once still sees no more than five open in a second.
    boxes.opened.clear();
    for (int ms = 0; ms < 1000; ms += 10) {
        if (board.OpenNotice())
            board.Closed();
        loop.Advance(10);
    }
    EXPECT_LE(boxes.opened.size(), 5u);
    EXPECT_GE(boxes.opened.size(), 3u);
}

TEST_F(NoticeBoardTest, UserMessagesAreNeitherPacedNorLeftOut) {
    for (int i = 0; i < 40; ++i)
        Event("event " + std::to_string(i));
    User("Please select one device");
    EXPECT_EQ(board.Waiting().back().text, "Please select one device");
    // Right after an event box: the user's own box opens at once once its turn has come.
    Boxes fresh;
    NoticeBoard quiet{loop, fresh};
    quiet.Raise("reply", "Error", Icon::Error, Owner::MainWindow, Cause::Event);
    quiet.Closed();
    quiet.Raise("Invalid IP address.", " Error", Icon::Error, Owner::Form, Cause::UserCommand);
    EXPECT_EQ(fresh.opened.back(), "Invalid IP address.");
    // The next event box waits out its spacing.
    quiet.Closed();
    quiet.Raise("reply 2", "Error", Icon::Error, Owner::MainWindow, Cause::Event);
    EXPECT_EQ(fresh.opened.size(), 2u);
    loop.Advance(NoticeBoard::kEventBoxSpacingMs);
    EXPECT_EQ(fresh.opened.back(), "reply 2");
}

}  // namespace
}  // namespace pm
