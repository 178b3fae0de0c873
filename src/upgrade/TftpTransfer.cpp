#include "upgrade/TftpTransfer.h"

#include <cstdio>

#include "app/Program.h"
#include "base/AddressText.h"
#include "storage/EventLog.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/UpgradePackets.h"

namespace pm {
namespace {

std::string Counts(const char* format, uint32_t sent, uint32_t size) {
    char text[96];
    std::snprintf(text, sizeof text, format, static_cast<long>(sent), static_cast<long>(size));
    return text;
}

}  // namespace

TftpTransfer::TftpTransfer(Program& p, TransferEvents events) : p_(p), events_(std::move(events)) {}

TftpTransfer::~TftpTransfer() {
    StopAll();
}

void TftpTransfer::StopAll() {
    for (TimerId id : {TimerId::TftpData, TimerId::TftpWriteRequest, TimerId::TftpSuccessPause, TimerId::TftpDoneWait})
        p_.loop.StopTimer(Timer(id));
}

void TftpTransfer::SetStatus(const std::string& text) {
    if (events_.status)
        events_.status(text);
}

void TftpTransfer::AppendUpgradeLog(const std::string& text) {
    char stamp[20];
    FormatLogTime(stamp);
    if (!AppendLogText(p_.ui, p_.configFolder, std::string(stamp) + " "))
        return;
    AppendLogText(p_.ui, p_.configFolder,
                  AddressToText(p_.upgrade.targetAddress) + " " + text + " \r\n");
}

int TftpTransfer::StartTransfer() {
    switch (ReadImageFile(p_.upgrade.firmwarePath, image_)) {
        case ImageCheck::Ok:
            break;
        case ImageCheck::NotFound:
            p_.ui.Notice("Invalid firmware file.", "Error", Icon::Error, Owner::Form);
            return -1;
        case ImageCheck::TooLarge:
            p_.ui.Notice(kImageTooLarge, "Error", Icon::Error, Owner::Form);
            return -1;
    }
    fileName_ = std::string(TftpFileName(p_.upgrade.firmwarePath));
    finishing_ = false;
    active_ = true;
    p_.loop.StartTimer(Timer(TimerId::TftpWriteRequest), timerMs_,
                       [this] { OnTftpTimer(TimerId::TftpWriteRequest); });
    return SendWriteRequest();
}

int TftpTransfer::SendWriteRequest() {
    uint8_t request[kWriteRequestBuffer];
    const size_t length = BuildWriteRequest(request, fileName_);
    state_.dataArmed = 0;
    state_.transferDone = 0;
    if (p_.net.SendTftp(p_.upgrade.targetAddress, p_.upgrade.targetMask, request, length,
                        kTftpServerPort) == -1) {
        p_.ui.Notice("Write request send error", "Error", Icon::Error, Owner::Form);
        return -1;
    }
    return 0;
}

void TftpTransfer::SendBlock(uint16_t n) {
    state_.fileSize = static_cast<uint32_t>(image_.size());
    if (n == 0)
        p_.loop.StartTimer(Timer(TimerId::TftpData), timerMs_, [this] { OnTftpTimer(TimerId::TftpData); });
    const size_t offset = size_t{n} * kTftpBlockSize;
    const size_t count =
        offset < image_.size() ? std::min(kTftpBlockSize, image_.size() - offset) : 0;
    if (state_.dataRetries == 0)
        state_.bytesSent += static_cast<uint32_t>(count);

    state_.currentBlock = static_cast<uint16_t>(n + 1);
    uint8_t packet[kDataPacketBuffer];
    const size_t length =
        BuildDataPacket(packet, state_.currentBlock,
                        std::span<const uint8_t>(image_.data() + (count ? offset : 0), count));
    state_.dataArmed = 0;
    if (p_.net.SendTftp(p_.upgrade.targetAddress, p_.upgrade.targetMask, packet, length,
                        kTftpServerPort) == -1)
        p_.ui.Notice("Firmware upgrade failed.", "Error", Icon::Error, Owner::Form);

    if (count < kTftpBlockSize) {
        state_.lastBlock = state_.currentBlock;
        state_.lastBlockSent = true;
        SetStatus(Counts("Complete...%ld/%ld bytes", state_.bytesSent, state_.fileSize));
    } else if (n != 0) {
        SetStatus(Counts("Upgrade...%ld/%ld bytes", state_.bytesSent, state_.fileSize));
    }
}

void TftpTransfer::OnTftpTimer(TimerId id) {
    if (id == TimerId::TftpData) {
        if (state_.dataArmed == 0) {
            state_.dataArmed = 1;
        } else if (state_.transferDone == 1) {
            p_.loop.StopTimer(Timer(TimerId::TftpData));
            p_.loop.StartOnce(Timer(TimerId::TftpDoneWait), kDoneWaitMs, [this] {
                state_.transferDone = 0;
                state_.bytesSent = 0;
            });
        } else if (state_.dataRetries == 10) {
            p_.loop.StopTimer(Timer(TimerId::TftpData));
            const std::string text = Counts("Firmware upgrade failed, translate %ld/%ld bytes",
                                            state_.bytesSent, state_.fileSize);
            state_.bytesSent = 0;
            state_.lastBlock = 0xFFFF;
            state_.lastBlockSent = false;
            state_.transferDone = 0;
            state_.dataRetries = 0;
            state_.currentBlock = 0;
            active_ = false;
            SetStatus(text);
            AppendUpgradeLog(text);
        } else if (state_.currentBlock != 0) {
            state_.dataRetries += 1;
            SendBlock(static_cast<uint16_t>(state_.currentBlock - 1));
        }
    } else if (id == TimerId::TftpWriteRequest) {
        if (state_.wrqArmed == 0) {
            state_.wrqArmed = 1;
            return;
        }
        SendWriteRequest();
        state_.wrqRetries += 1;
        if (state_.wrqRetries == 5) {
            p_.loop.StopTimer(Timer(TimerId::TftpWriteRequest));
            state_.wrqRetries = 0;
            // A block may be out already when the switch acknowledged late; then the data
            // timer carries the transfer on.
            active_ = p_.loop.TimerRunning(Timer(TimerId::TftpData));
            SetStatus("Device not found");
        }
    }
}

void TftpTransfer::OnTftpDatagram(const uint8_t* data, size_t length) {
    // Replies count only while a transfer runs: a stray acknowledgement must not start
    // sending an image, and nothing is handled during the pause after the last block.
    if (!active_ || finishing_)
        return;
    const TftpReply reply = ParseTftpReply(data, length);
    switch (reply.kind) {
        case TftpReply::Kind::Ack:
            OnAck(reply.block);
            break;
        case TftpReply::Kind::Error:
            OnError(reply.text);
            break;
        case TftpReply::Kind::Other:
            break;
    }
}

void TftpTransfer::OnAck(uint16_t block) {
    state_.dataRetries = 0;
    if (block == 0) {
        p_.loop.StopTimer(Timer(TimerId::TftpWriteRequest));
        state_.wrqRetries = 0;
        state_.wrqArmed = 0;
    }
    if (state_.lastBlockSent && block == state_.lastBlock)
        Succeed();
    else if (block == state_.currentBlock)
        SendBlock(block);
}

void TftpTransfer::Succeed() {
    state_.bytesSent = 0;
    finishing_ = true;
    // The switch has the whole image: no more resends while it restarts.
    p_.loop.StopTimer(Timer(TimerId::TftpData));
    p_.loop.StopTimer(Timer(TimerId::TftpWriteRequest));
    p_.loop.StartOnce(Timer(TimerId::TftpSuccessPause), kSuccessPauseMs, [this] {
        state_.transferDone = 1;
        state_.currentBlock = 0;
        state_.lastBlock = 0xFFFF;
        state_.lastBlockSent = false;
        finishing_ = false;
        active_ = false;
        if (events_.succeeded)
            events_.succeeded();
    });
}

bool TftpTransfer::CancelSuccessPause() {
    if (!finishing_)
        return false;
    p_.loop.StopTimer(Timer(TimerId::TftpSuccessPause));
    finishing_ = false;
    active_ = false;
    return true;
}

void TftpTransfer::OnError(const std::string& text) {
    // The form closes after this; its timers end with it.
    StopAll();
    AppendUpgradeLog(text);
    // State first, then the box: the box is shown after this handler returns.
    ResetTransfer();
    state_.bytesSent = 0;
    active_ = false;
    SetStatus(" ");
    p_.ui.Notice(text, "Firmware upgrade failed", Icon::Error, Owner::MainWindow);
    if (events_.aborted)
        events_.aborted();
}

}  // namespace pm
