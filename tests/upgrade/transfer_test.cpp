// The TFTP write of the image: packets, resends and giving up, progress and the endings.
#include <regex>

#include "upgrade/ConfirmUpgrade.h"
#include "upgrade/UpgradeFixture.h"
#include "upgrade/UpgradePackets.h"

namespace pm::test {
namespace {

class Transfer : public UpgradeFixture {
  protected:
    // The times (from now) at which TFTP packets with this opcode leave during the next ms
    // milliseconds, stepping the clock one millisecond at a time.
    std::vector<uint64_t> SendTimes(uint8_t opcode, uint64_t ms) {
        std::vector<uint64_t> at;
        size_t count = Tftp(opcode).size();
        for (uint64_t now = 1; now <= ms; ++now) {
            t.loop.Advance(1);
            for (const size_t n = Tftp(opcode).size(); count < n; ++count)
                at.push_back(now);
        }
        return at;
    }
};

TEST(TftpPackets, FileNameIsTheLastPathComponent) {
    EXPECT_EQ(TftpFileName("/home/me/fw/fw_v12345.hex"), "fw_v12345.hex");
    EXPECT_EQ(TftpFileName("C:\\fw\\fw_v12345.hex"), "fw_v12345.hex");
    EXPECT_EQ(TftpFileName("fw_v12345.hex"), "fw_v12345.hex");
    EXPECT_EQ(TftpFileName("/fw/"), "");
}

TEST(TftpPackets, RepliesAreReadWithinTheDatagram) {
    const uint8_t ack[] = {0, 4, 0x12, 0x34};
    EXPECT_EQ(ParseTftpReply(ack, 4).kind, TftpReply::Kind::Ack);
    EXPECT_EQ(ParseTftpReply(ack, 4).block, 0x1234);
    EXPECT_EQ(ParseTftpReply(ack, 3).kind, TftpReply::Kind::Other);
    const uint8_t error[] = {0, 5, 0, 1, 'b', 'a', 'd'};  // no terminating zero
    EXPECT_EQ(ParseTftpReply(error, sizeof error).text, "bad");
    EXPECT_EQ(ParseTftpReply(error, 5).text, "b");
    EXPECT_EQ(ParseTftpReply(error, 2).kind, TftpReply::Kind::Error);
    EXPECT_EQ(ParseTftpReply(error, 2).text, "");
    const uint8_t data[] = {0, 3, 0, 1};
    EXPECT_EQ(ParseTftpReply(data, 4).kind, TftpReply::Kind::Other);
}

TEST_F(Transfer, WriteRequestForAThirteenCharacterNameIs22Bytes) {
    StartTransfer(10);
    ASSERT_EQ(Tftp().size(), 1u);
    const std::vector<uint8_t> expected = {0,   2,   'f', 'w', '_', 'v', '1', '2', '3', '4', '5',
                                           '.', 'h', 'e', 'x', 0,   'o', 'c', 't', 'e', 't', 0};
    EXPECT_EQ(Tftp()[0].bytes, expected);
}

TEST_F(Transfer, WriteRequestIsResentWithBackOffAndGivenUpAfterNineSeconds) {
    StartTransfer(10);
    // Nothing measured yet: a second, then backed off to the ceiling.
    EXPECT_EQ(SendTimes(2, 8999), (std::vector<uint64_t>{1000, 3000, 6000}));
    EXPECT_TRUE(statuses.empty());
    t.loop.Advance(1);
    EXPECT_EQ(statuses, std::vector<std::string>{"Device not found"});
    EXPECT_EQ(Tftp(2).size(), 4u);
    EXPECT_FALSE(t.loop.TimerRunning(session->Transfer().Timer(TimerId::TftpWriteRequest)));
    EXPECT_FALSE(busy);
    t.loop.Advance(30000);
    EXPECT_EQ(Tftp().size(), 4u);
    // A late acknowledgement no longer starts anything.
    Ack(0);
    EXPECT_EQ(Tftp().size(), 4u);

    // Start again: the request leaves at once.
    ASSERT_EQ(session->Transfer().StartTransfer(), 0);
    EXPECT_EQ(Tftp(2).size(), 5u);
}

TEST_F(Transfer, BlockIsResentSoonerAndSoonerApartAndGivenUpAfterThirtyOneAndAHalfSeconds) {
    StartTransfer(1500);
    t.loop.Advance(700);
    Ack(0);  // block 1 leaves; the request's round trip (700 ms) sets its timeout
    ASSERT_EQ(Tftp(3).size(), 1u);
    EXPECT_FALSE(t.loop.TimerRunning(session->Transfer().Timer(TimerId::TftpWriteRequest)));
    EXPECT_EQ(session->Transfer().Timeout().TimeoutMs(), 700u + 4 * 350u);

    const std::vector<uint64_t> at = SendTimes(3, kBlockPatienceMs - 1);
    ASSERT_FALSE(at.empty());
    EXPECT_EQ(at[0], 2100u);
    EXPECT_LE(at.size(), RetransmitTimeout::kMaxResends);
    for (size_t i = 1; i < at.size(); ++i) {
        EXPECT_EQ(at[i] - at[i - 1], RetransmitTimeout::kCeilingMs) << i;
        EXPECT_EQ(BlockOf(Tftp(3)[i]), 1);
    }
    EXPECT_TRUE(statuses.empty());
    t.loop.Advance(1);
    EXPECT_EQ(statuses.back(), "Firmware upgrade failed, translate 512/1500 bytes");
    EXPECT_EQ(Tftp(3).size(), 1 + at.size());
    EXPECT_FALSE(t.loop.TimerRunning(session->Transfer().Timer(TimerId::TftpData)));
    EXPECT_EQ(session->Transfer().State().bytesSent, 0u);
    EXPECT_EQ(closes, 0);  // the form stays open
    EXPECT_TRUE(std::regex_match(
        LogText(),
        std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d 10\.0\.0\.5 Firmware upgrade failed, )"
                   R"(translate 512/1500 bytes \r\n)")));
    t.loop.Advance(60000);
    EXPECT_EQ(Tftp(3).size(), 1 + at.size());
}

TEST_F(Transfer, OnAQuickLinkALostBlockCostsMillisecondsAndAtMostTwentyResends) {
    StartTransfer(1500);
    Ack(0);  // answered at once: the floor
    ASSERT_EQ(session->Transfer().Timeout().TimeoutMs(), RetransmitTimeout::kFloorMs);
    const std::vector<uint64_t> at = SendTimes(3, kBlockPatienceMs);
    EXPECT_EQ(at.front(), RetransmitTimeout::kFloorMs);
    EXPECT_EQ(at.size(), RetransmitTimeout::kMaxResends);
    EXPECT_EQ(statuses.back(), "Firmware upgrade failed, translate 512/1500 bytes");
}

TEST_F(Transfer, AResentBlockGivesNoRoundTripAndTheNextBlockKeepsTheBackOff) {
    StartTransfer(1500);
    t.loop.Advance(10);
    Ack(0);  // 10 ms: srtt 10, rttvar 5, timeout 30 ms
    ASSERT_EQ(session->Transfer().Timeout().TimeoutMs(), 30u);
    EXPECT_EQ(SendTimes(3, 50), std::vector<uint64_t>{30});  // block 1 again
    Ack(1);  // for either copy: no round trip of 50 ms is taken (that would make 70 ms)
    ASSERT_EQ(Tftp(3).size(), 3u);
    EXPECT_EQ(BlockOf(Tftp(3).back()), 2);
    EXPECT_EQ(SendTimes(3, 60), std::vector<uint64_t>{60});  // backed off: 2 x 30
    Ack(2);
    // Block 3 was sent once and answered at once: 0 ms, measured again.
    Ack(3);
    EXPECT_TRUE(session->Transfer().Finishing());
    EXPECT_EQ(session->Transfer().Timeout().TimeoutMs(), 34u);  // 8.75 + 4 x 6.25
}

TEST_F(Transfer, ASwitchThatPausesToWriteFlashStillGetsTheWholeImage) {
    StartTransfer(1500);
    Ack(0);
    Ack(1);
    t.loop.Advance(25000);  // silent while it writes: block 2 is resent, nothing is given up
    EXPECT_LE(Tftp(3).size(), 2 + RetransmitTimeout::kMaxResends);
    EXPECT_EQ(statuses.back(), "Upgrade...1024/1500 bytes");
    Ack(2);
    Ack(3);
    EXPECT_TRUE(session->Transfer().Finishing());
    EXPECT_EQ(BlockOf(Tftp(3).back()), 3);
}

TEST_F(Transfer, StaleOrDuplicateAcknowledgementsSendNothing) {
    StartTransfer(1500);
    Ack(0);
    Ack(1);
    ASSERT_EQ(Tftp(3).size(), 2u);
    for (uint16_t block : {0, 1, 3, 0xFFFF})
        Ack(block);
    Reply({0, 3, 0, 2});
    Reply({0, 4, 0});
    EXPECT_EQ(Tftp(3).size(), 2u);
    // Nor do they bring the resend forward or put it off.
    t.loop.Advance(session->Transfer().Timeout().TimeoutMs() - 1);
    Ack(1);
    EXPECT_EQ(Tftp(3).size(), 2u);
    t.loop.Advance(1);
    ASSERT_EQ(Tftp(3).size(), 3u);
    EXPECT_EQ(BlockOf(Tftp(3).back()), 2);
    EXPECT_FALSE(session->Transfer().Finishing());  // 65535 is no final block here
    Ack(2);
    ASSERT_EQ(Tftp(3).size(), 4u);
    EXPECT_EQ(BlockOf(Tftp(3).back()), 3);
}

TEST_F(Transfer, AnyAcknowledgementPutsTheGiveUpOff) {
    StartTransfer(1500);
    Ack(0);
    t.loop.Advance(20000);
    Ack(0);  // a late copy: the switch is still there
    t.loop.Advance(kBlockPatienceMs - 1);
    EXPECT_TRUE(statuses.empty());
    t.loop.Advance(1);
    EXPECT_EQ(statuses.back(), "Firmware upgrade failed, translate 512/1500 bytes");
}

TEST_F(Transfer, ResentBlockIsNotCountedTwice) {
    StartTransfer(1500);
    Ack(0);
    t.loop.Advance(RetransmitTimeout::kFloorMs);  // block 1 again
    ASSERT_EQ(Tftp(3).size(), 2u);
    Ack(1);
    EXPECT_EQ(statuses.back(), "Upgrade...1024/1500 bytes");
}

TEST_F(Transfer, StatusesFollowTheImageSize) {
    struct Case {
        size_t size;
        std::vector<size_t> blockSizes;
        std::vector<std::string> statuses;
    };
    for (const Case& c :
         {Case{0, {0}, {"Complete...0/0 bytes"}}, Case{512, {512, 0}, {"Complete...512/512 bytes"}},
          Case{1500,
               {512, 512, 476},
               {"Upgrade...1024/1500 bytes", "Complete...1500/1500 bytes"}}}) {
        SCOPED_TRACE(c.size);
        session.reset();
        statuses.clear();
        t.net.sent.clear();
        StartTransfer(c.size);
        for (uint16_t block = 0; block < c.blockSizes.size(); ++block)
            Ack(block);
        const auto data = Tftp(3);
        ASSERT_EQ(data.size(), c.blockSizes.size());
        for (size_t i = 0; i < data.size(); ++i) {
            EXPECT_EQ(BlockOf(data[i]), i + 1);
            EXPECT_EQ(data[i].bytes.size(), 4 + c.blockSizes[i]);
            for (size_t j = 4; j < data[i].bytes.size(); ++j)
                ASSERT_EQ(data[i].bytes[j], (i * 512 + j - 4) % 251);
        }
        EXPECT_EQ(statuses, c.statuses);
    }
}

TEST_F(Transfer, ProgressCountsFirstCopiesAndStaysWhereAFailedTransferStopped) {
    using Progress = std::vector<std::pair<uint32_t, uint32_t>>;
    StartTransfer(2000);
    Ack(0);
    Ack(1);
    // Block 2 again once its timeout has passed: no new progress.
    for (int ms = 0; ms < 3000 && Tftp(3).size() < 3u; ++ms)
        t.loop.Advance(1);
    ASSERT_EQ(Tftp(3).size(), 3u);
    Ack(2);
    Ack(3);
    EXPECT_EQ(progress, (Progress{{512, 2000}, {1024, 2000}, {1536, 2000}, {2000, 2000}}));

    session.reset();
    progress.clear();
    StartTransfer(2000);
    Ack(0);
    Ack(1);
    t.loop.Advance(40000);  // block 2 given up
    ASSERT_EQ(statuses.back(), "Firmware upgrade failed, translate 1024/2000 bytes");
    EXPECT_EQ(progress, (Progress{{512, 2000}, {1024, 2000}}));
}

TEST_F(Transfer, LastAcknowledgementPausesFiveSecondsThenClosesAndSearches) {
    StartTransfer(1500);
    for (uint16_t block = 0; block <= 3; ++block)
        Ack(block);
    EXPECT_TRUE(busy);
    t.loop.Advance(4999);
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(Tftp(3).size(), 3u);  // nothing resent while the switch takes the image
    Ack(3);
    t.loop.Advance(1);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(busy);
    EXPECT_TRUE(UpgradeSearchPending(t.loop, p.upgrade));
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(Transfer, ClosingTheFormDuringThePauseStillSearches) {
    StartTransfer(10);
    Ack(0);
    Ack(1);
    session->OnFormClosing();
    session.reset();
    EXPECT_TRUE(UpgradeSearchPending(t.loop, p.upgrade));
    EXPECT_EQ(closes, 0);
}

TEST_F(Transfer, ErrorPacketIsLoggedShownAndClosesTheForm) {
    StartTransfer(1500);
    Ack(0);
    std::vector<uint8_t> error = {0, 5, 0, 3};
    error.resize(error.size() + 120, 'E');
    error.push_back(0);
    Reply(error);
    const std::string shown(99, 'E');
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, shown);
    EXPECT_EQ(t.ui.messages[0].caption, "Firmware upgrade failed");
    EXPECT_EQ(t.ui.messages[0].icon, Icon::Error);
    EXPECT_EQ(statuses.back(), " ");
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(session->Transfer().State().bytesSent, 0u);
    EXPECT_EQ(session->Transfer().State().currentBlock, 0);
    EXPECT_TRUE(std::regex_match(
        LogText(), std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d 10\.0\.0\.5 E{99} \r\n)")));
    t.loop.Advance(60000);
    EXPECT_EQ(Tftp(3).size(), 1u);
}

TEST_F(Transfer, RepliesFromAnotherAddressNeitherAbortNorSteerTheTransfer) {
    StartTransfer(1500);
    constexpr uint32_t kStranger = 0x0A000063;  // 10.0.0.99, on the same segment
    Reply({0, 5, 0, 0, 'f', 'a', 'k', 'e', 0}, kStranger);
    Reply({0, 4, 0, 0}, kStranger);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(Tftp(3).empty()) << "a stranger's acknowledgement sends no block";
    // The switch answers from a port of its own choosing: that is accepted.
    Ack(0);
    Ack(1);
    Ack(2);
    ASSERT_EQ(Tftp(3).size(), 3u);
    Ack(3);
    t.loop.Advance(kSuccessPauseMs);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::None) << "the search decides the outcome";
}

TEST_F(Transfer, AnErrorTextIsShownAndLoggedAsInertText) {
    StartTransfer(1500);
    std::vector<uint8_t> error = {0, 5, 0, 3};
    const std::string text = "<a href=\"http://x\">bad</a>\r\n01/01/2030 00:00:00 forged\x1b]0;t\a";
    error.insert(error.end(), text.begin(), text.end());
    error.push_back(0);
    Reply(error);
    ASSERT_EQ(t.ui.messages.size(), 1u);
    const std::string shown = t.ui.messages[0].text;
    EXPECT_EQ(shown.find('\r'), std::string::npos);
    EXPECT_EQ(shown.find('\x1b'), std::string::npos);
    EXPECT_NE(shown.find("<a href="), std::string::npos) << "markup stays as its characters";
    const std::string log = LogText();
    EXPECT_EQ(log.find("\r\n"), log.size() - 2) << log;
    EXPECT_NE(log.find(R"(</a>\r\n01/01/2030 00:00:00 forged\x1B]0;t\x07 )"), std::string::npos)
        << log;
}

TEST_F(Transfer, ImageIsReadOnceWhenTheTransferStarts) {
    StartTransfer(1000);
    {
        std::ofstream changed(p.upgrade.firmwarePath, std::ios::binary | std::ios::trunc);
        changed << "new";
    }
    Ack(0);
    Ack(1);
    const auto data = Tftp(3);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[1].bytes.size(), 4u + 488u);
    EXPECT_EQ(data[0].bytes[4 + 3], 3);
}

TEST_F(Transfer, UnreadableImageStartsNothing) {
    OpenForm();
    p.upgrade.firmwarePath = t.dir.File("gone.bin");
    EXPECT_EQ(session->Transfer().StartTransfer(), -1);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Invalid firmware file."});
    t.loop.Advance(20000);
    EXPECT_TRUE(Tftp().empty());
}

TEST_F(Transfer, FailedBlockSendIsReportedAndRetried) {
    StartTransfer(1500);
    t.net.failKinds = {SendKind::Tftp};
    Ack(0);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Firmware upgrade failed."});
    t.net.failKinds.clear();
    t.loop.Advance(RetransmitTimeout::kFloorMs);
    ASSERT_EQ(Tftp(3).size(), 1u);
    EXPECT_EQ(BlockOf(Tftp(3)[0]), 1);
}

}  // namespace
}  // namespace pm::test
