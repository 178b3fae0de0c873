// The TFTP write of the image: packets, retransmission timers, progress and the endings.
#include <regex>

#include "upgrade/ConfirmUpgrade.h"
#include "upgrade/UpgradeFixture.h"
#include "upgrade/UpgradePackets.h"

namespace pm::test {
namespace {

using Transfer = UpgradeFixture;

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

TEST_F(Transfer, WriteRequestIsResentFiveTimesThenDeviceNotFound) {
    StartTransfer(10);
    t.loop.Advance(1500);  // the first tick only arms
    EXPECT_EQ(Tftp(2).size(), 1u);
    for (size_t resend = 1; resend <= 5; ++resend) {
        t.loop.Advance(1500);
        ASSERT_EQ(Tftp(2).size(), 1 + resend);
    }
    EXPECT_EQ(statuses.back(), "Device not found");
    EXPECT_FALSE(t.loop.TimerRunning(session->Transfer().Timer(TimerId::TftpWriteRequest)));
    EXPECT_FALSE(busy);
    t.loop.Advance(30000);
    EXPECT_EQ(Tftp().size(), 6u);
    // A late acknowledgement no longer starts anything.
    Ack(0);
    EXPECT_EQ(Tftp().size(), 6u);

    // The armed flag stays: the next transfer resends at its first tick.
    ASSERT_EQ(session->Transfer().StartTransfer(), 0);
    t.loop.Advance(1500);
    EXPECT_EQ(Tftp(2).size(), 8u);
}

TEST_F(Transfer, DataBlockIsResentEverySecondTickAndGivenUpAfterTenResends) {
    StartTransfer(1500);
    t.loop.Advance(700);
    Ack(0);  // block 1 leaves; the data timer starts with it
    ASSERT_EQ(Tftp(3).size(), 1u);
    EXPECT_FALSE(t.loop.TimerRunning(session->Transfer().Timer(TimerId::TftpWriteRequest)));
    t.loop.Advance(1500);  // arms
    EXPECT_EQ(Tftp(3).size(), 1u);
    for (size_t resend = 1; resend <= 10; ++resend) {
        t.loop.Advance(1500);
        ASSERT_EQ(Tftp(3).size(), 1 + resend);
        EXPECT_EQ(BlockOf(Tftp(3).back()), 1);
        t.loop.Advance(1500);  // arms
        ASSERT_EQ(Tftp(3).size(), 1 + resend);
    }
    t.loop.Advance(1499);
    EXPECT_TRUE(statuses.empty());
    t.loop.Advance(1);
    EXPECT_EQ(statuses.back(), "Firmware upgrade failed, translate 512/1500 bytes");
    EXPECT_EQ(Tftp(3).size(), 11u);
    EXPECT_FALSE(t.loop.TimerRunning(session->Transfer().Timer(TimerId::TftpData)));
    EXPECT_EQ(session->Transfer().State().bytesSent, 0u);
    EXPECT_EQ(closes, 0);  // the form stays open
    EXPECT_TRUE(std::regex_match(
        LogText(),
        std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d 10\.0\.0\.5 Firmware upgrade failed, )"
                   R"(translate 512/1500 bytes \r\n)")));
}

TEST_F(Transfer, AShorterTimerPeriodKeepsTheSameCadence) {
    OpenForm();
    p.upgrade.firmwarePath = Image(1500);
    session->Transfer().SetTimerPeriod(200);
    ASSERT_EQ(session->Transfer().StartTransfer(), 0);
    t.loop.Advance(399);
    EXPECT_EQ(Tftp(2).size(), 1u);
    t.loop.Advance(1);  // the second tick resends the write request
    EXPECT_EQ(Tftp(2).size(), 2u);
    Ack(0);
    t.loop.Advance(399);
    EXPECT_EQ(Tftp(3).size(), 1u);
    t.loop.Advance(1);
    ASSERT_EQ(Tftp(3).size(), 2u);
    EXPECT_EQ(BlockOf(Tftp(3).back()), 1);
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
    EXPECT_FALSE(session->Transfer().Finishing());  // 65535 is no final block here
    Ack(2);
    ASSERT_EQ(Tftp(3).size(), 3u);
    EXPECT_EQ(BlockOf(Tftp(3).back()), 3);
}

TEST_F(Transfer, ResentBlockIsNotCountedTwice) {
    StartTransfer(1500);
    Ack(0);
    t.loop.Advance(3000);  // block 1 again
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
    t.loop.Advance(3000);
    ASSERT_EQ(Tftp(3).size(), 1u);
    EXPECT_EQ(BlockOf(Tftp(3)[0]), 1);
}

}  // namespace
}  // namespace pm::test
