#include "upgrade/TftpTransfer.h"

#include <cstdio>

#include "base/AddressText.h"
#include "base/DeviceText.h"
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

TftpTransfer::TftpTransfer(const UpgradeContext& context, TransferEvents events)
    : context_(context), events_(std::move(events)) {}

TftpTransfer::~TftpTransfer() {
    StopAll();
}

void TftpTransfer::StopAll() {
    for (TimerId id : {TimerId::TftpData, TimerId::TftpWriteRequest, TimerId::TftpSuccessPause,
                       TimerId::TftpDoneWait})
        context_.loop.StopTimer(Timer(id));
}

void TftpTransfer::ArmTimeout(TimerId id) {
    const uint64_t due = timeout_.DueMs();
    if (context_.loop.TimerRunning(Timer(id)) && armedForMs_ <= due)
        return;
    const uint64_t now = context_.loop.NowMs();
    armedForMs_ = due;
    context_.loop.StartOnce(Timer(id), due > now ? static_cast<uint32_t>(due - now) : 0,
                            [this, id] { OnTftpTimer(id); });
}

void TftpTransfer::SetStatus(const std::string& text) {
    if (events_.status)
        events_.status(text);
}

void TftpTransfer::Progress(const std::string& text) {
    if (progress_)
        progress_(state_.bytesSent, state_.fileSize, text);
    else if (!text.empty())
        SetStatus(text);
}

void TftpTransfer::Fail(UpgradeOutcome outcome) {
    if (events_.failed)
        events_.failed(outcome);
}

void TftpTransfer::AppendUpgradeLog(const std::string& text) {
    char stamp[20];
    FormatLogTime(stamp);
    if (!AppendLogText(context_.ui, context_.logFolder, std::string(stamp) + " ",
                       context_.eventLog))
        return;
    // The switch's text can never break the line.
    AppendLogText(context_.ui, context_.logFolder,
                  AddressToText(context_.watch.targetAddress) + " " + LogSafeText(text) + " \r\n",
                  context_.eventLog);
}

int TftpTransfer::StartTransfer() {
    switch (ReadImageFile(context_.watch.firmwarePath, image_)) {
        case ImageCheck::Ok:
            break;
        case ImageCheck::NotFound:
            context_.ui.Notice("Invalid firmware file.", "Error", Icon::Error, Owner::Form);
            Fail(UpgradeOutcome::ImageUnreadable);
            return -1;
        case ImageCheck::TooLarge:
            context_.ui.Notice(kImageTooLarge, "Error", Icon::Error, Owner::Form);
            Fail(UpgradeOutcome::ImageTooLarge);
            return -1;
    }
    fileName_ = std::string(TftpFileName(context_.watch.firmwarePath));
    finishing_ = false;
    active_ = true;
    timeout_.Sent(context_.loop.NowMs(), kWriteRequestPatienceMs);
    ArmTimeout(TimerId::TftpWriteRequest);
    return SendWriteRequest();
}

int TftpTransfer::SendWriteRequest() {
    uint8_t request[kWriteRequestBuffer];
    const size_t length = BuildWriteRequest(request, fileName_);
    state_.transferDone = 0;
    if (context_.transport.SendTftp(context_.watch.targetAddress, context_.watch.targetMask,
                                    request, length, kTftpServerPort) == -1) {
        context_.ui.Notice("Write request send error", "Error", Icon::Error, Owner::Form);
        Fail(UpgradeOutcome::TftpSendFailed);
        return -1;
    }
    return 0;
}

void TftpTransfer::SendBlock(uint16_t n) {
    state_.fileSize = static_cast<uint32_t>(image_.size());
    // A first copy starts the wait for its acknowledgement; a resend was counted already.
    if (state_.dataRetries == 0)
        timeout_.Sent(context_.loop.NowMs(), kBlockPatienceMs);
    ArmTimeout(TimerId::TftpData);
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
    if (context_.transport.SendTftp(context_.watch.targetAddress, context_.watch.targetMask, packet,
                                    length, kTftpServerPort) == -1) {
        context_.ui.Notice("Firmware upgrade failed.", "Error", Icon::Error, Owner::Form);
        Fail(UpgradeOutcome::TftpSendFailed);
    }

    if (count < kTftpBlockSize) {
        state_.lastBlock = state_.currentBlock;
        state_.lastBlockSent = true;
        Progress(Counts("Complete...%ld/%ld bytes", state_.bytesSent, state_.fileSize));
    } else {
        // The first block, when full, changes no status.
        Progress(n != 0 ? Counts("Upgrade...%ld/%ld bytes", state_.bytesSent, state_.fileSize)
                        : std::string());
    }
}

void TftpTransfer::OnTftpTimer(TimerId id) {
    const RetransmitTimeout::Step step = state_.transferDone == 1
                                             ? RetransmitTimeout::Step::Wait
                                             : timeout_.Expire(context_.loop.NowMs());
    if (id == TimerId::TftpData) {
        if (state_.transferDone == 1) {
            context_.loop.StopTimer(Timer(TimerId::TftpData));
            context_.loop.StartOnce(Timer(TimerId::TftpDoneWait), kDoneWaitMs, [this] {
                state_.transferDone = 0;
                state_.bytesSent = 0;
            });
        } else if (step == RetransmitTimeout::Step::GiveUp) {
            context_.loop.StopTimer(Timer(TimerId::TftpData));
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
            Fail(UpgradeOutcome::TransferFailed);
        } else if (step == RetransmitTimeout::Step::Resend && state_.currentBlock != 0) {
            state_.dataRetries += 1;
            SendBlock(static_cast<uint16_t>(state_.currentBlock - 1));
        } else {
            ArmTimeout(id);
        }
    } else if (id == TimerId::TftpWriteRequest) {
        if (step == RetransmitTimeout::Step::Resend) {
            SendWriteRequest();
            state_.wrqRetries += 1;
            ArmTimeout(id);
        } else if (step == RetransmitTimeout::Step::Wait) {
            ArmTimeout(id);
        } else {
            context_.loop.StopTimer(Timer(TimerId::TftpWriteRequest));
            state_.wrqRetries = 0;
            // A block may be out already when the switch acknowledged late; then the data
            // timer carries the transfer on.
            active_ = context_.loop.TimerRunning(Timer(TimerId::TftpData));
            SetStatus("Device not found");
            Fail(UpgradeOutcome::DeviceNotFound);
        }
    }
}

void TftpTransfer::OnTftpDatagram(const uint8_t* data, size_t length, uint32_t fromHostOrder) {
    // Replies count only while a transfer runs: a stray acknowledgement must not start
    // sending an image, and nothing is handled during the pause after the last block.
    if (!active_ || finishing_)
        return;
    // Another host on the segment can neither abort the transfer nor steer it.
    if (fromHostOrder != context_.watch.targetAddress)
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
    // The awaited one gives a round trip; any other still shows that the switch is there.
    if (block == state_.currentBlock)
        timeout_.Acknowledged(context_.loop.NowMs());
    else
        timeout_.Heard(context_.loop.NowMs());
    if (block == 0) {
        context_.loop.StopTimer(Timer(TimerId::TftpWriteRequest));
        state_.wrqRetries = 0;
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
    context_.loop.StopTimer(Timer(TimerId::TftpData));
    context_.loop.StopTimer(Timer(TimerId::TftpWriteRequest));
    context_.loop.StartOnce(Timer(TimerId::TftpSuccessPause), kSuccessPauseMs, [this] {
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
    context_.loop.StopTimer(Timer(TimerId::TftpSuccessPause));
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
    context_.ui.EventNotice(DisplayDeviceText(text), "Firmware upgrade failed", Icon::Error,
                            Owner::MainWindow);
    Fail(UpgradeOutcome::DeviceError);
    if (events_.aborted)
        events_.aborted();
}

}  // namespace pm
