#include "upgrade/UpgradeSession.h"

#include "base/WireConstants.h"
#include "config/SetRequest.h"
#include "config/Validation.h"
#include "upgrade/ConfirmUpgrade.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/UpgradeCommand.h"
#include "upgrade/UpgradePackets.h"

namespace pm {

UpgradeSession::UpgradeSession(const UpgradeContext& context, UpgradeView view)
    : context_(context),
      view_(std::move(view)),
      transfer_(context, TransferEvents{[this](const std::string& text) {
                                            SetStatus(text);
                                            ReportProgress();
                                        },
                                        [this] {
                                            Confirm();
                                            SyncBusy();
                                            if (view_.close)
                                                view_.close();
                                        },
                                        [this] {
                                            SyncBusy();
                                            if (view_.close)
                                                view_.close();
                                        },
                                        [this](UpgradeOutcome outcome) { outcome_ = outcome; }}),
      self_(std::make_shared<UpgradeSession*>(this)) {
    list_ = context.selection.list;
    if (const DeviceRecord* r = SelectedRecord(context.lists, context.selection))
        loader_ = r->loader == kLoaderMarker;
    context_.watch.sessionOpen = true;
    transfer_.SetProgressEvent([this](uint32_t sent, uint32_t size, const std::string& text) {
        OnProgress(sent, size, text);
    });
}

UpgradeSession::~UpgradeSession() {
    context_.loop.StopTimer(TriggerTimer());
    *self_ = nullptr;
    context_.watch.sessionOpen = false;
}

UpgradeOutcome UpgradeSession::Outcome() const {
    // The trigger's next step ends it as "Trigger fail".
    if (triggering_ && context_.watch.passwordRejected)
        return UpgradeOutcome::TriggerRefused;
    return outcome_;
}

bool UpgradeSession::Ended() const {
    switch (Outcome()) {
        case UpgradeOutcome::None:
        case UpgradeOutcome::TftpSendFailed:
            return false;
        case UpgradeOutcome::DeviceNotFound:
            return !transfer_.Active();
        default:
            return true;
    }
}

void UpgradeSession::Confirm() {
    // The switch has the whole image: what failed before is over, the search decides now.
    outcome_ = UpgradeOutcome::None;
    // The search outlives a closed form; its result is kept only while the session lives.
    std::weak_ptr<UpgradeSession*> weak = self_;
    ConfirmUpgrade(context_, [weak](UpgradeOutcome outcome) {
        auto alive = weak.lock();
        if (alive && *alive)
            (*alive)->outcome_ = outcome;
    });
}

std::string UpgradeSession::DeviceIpText() const {
    return AddressToText(context_.watch.targetAddress);
}

std::string UpgradeSession::DeviceMacText() const {
    return std::string(TextOf(context_.watch.targetMac));
}

void UpgradeSession::SetStatus(const std::string& text) {
    status_ = text;
    if (view_.status)
        view_.status(text);
    SyncBusy();
}

void UpgradeSession::ReportProgress() {
    // A failed transfer has cleared its count: the last progress shown stays. A resent block
    // adds nothing.
    const TransferState& state = transfer_.State();
    if (state.bytesSent == 0 || state.fileSize == 0 || state.bytesSent == shownBytes_)
        return;
    shownBytes_ = state.bytesSent;
    if (view_.progress)
        view_.progress(state.bytesSent, state.fileSize);
}

void UpgradeSession::OnProgress(uint32_t sent, uint32_t size, const std::string& text) {
    if (!progress_) {
        if (!text.empty())
            SetStatus(text);
        ReportProgress();
        return;
    }
    if (!text.empty())
        status_ = text;
    progress_(sent, size);
    SyncBusy();
}

void UpgradeSession::SyncBusy() {
    const bool busy = Busy();
    if (busy == shownBusy_)
        return;
    shownBusy_ = busy;
    if (view_.busy)
        view_.busy(busy);
}

void UpgradeSession::AttachTftp() {
    std::weak_ptr<UpgradeSession*> weak = self_;
    Transport* net = &context_.transport;
    context_.transport.AttachTftpWindow([weak, net](int eventId) {
        auto alive = weak.lock();
        if (alive && *alive) {
            (*alive)->OnTftpEvent(eventId);
            return;
        }
        // No form any more: take the datagram off the socket all the same.
        uint8_t buffer[kTftpReceiveSize];
        uint32_t from = 0;
        uint16_t port = 0;
        net->ReceiveFromEvent(eventId, buffer, sizeof buffer, from, port);
    });
}

void UpgradeSession::Open() {
    AttachTftp();
    transfer_.ResetTransfer();
}

std::string UpgradeSession::Browse() {
    auto chosen = context_.ui.ChooseOpenFile("*.hex", FirmwareFileFilters());
    context_.watch.firmwarePath = chosen ? *chosen : std::string();
    return context_.watch.firmwarePath;
}

void UpgradeSession::OnTftpEvent(int eventId) {
    uint8_t buffer[kTftpReceiveSize];
    uint32_t from = 0;
    uint16_t port = 0;
    const int n = context_.transport.ReceiveFromEvent(eventId, buffer, sizeof buffer, from, port);
    if (n < 0)
        return;
    OnTftpDatagram(buffer, static_cast<size_t>(n), from);
    SyncBusy();
}

void UpgradeSession::Start(std::string_view path, std::string_view password) {
    if (Busy())
        return;
    context_.watch.passwordRejected = 0;
    outcome_ = UpgradeOutcome::None;
    // The form stays with the switch it was opened for: how the trigger leaves depends on
    // the list that holds the switch now.
    const auto target =
        FindBoundDevice(context_.lists, TextOf(context_.watch.targetMac), context_.ui);
    if (!target) {
        outcome_ = UpgradeOutcome::DeviceGone;
        return;
    }
    list_ = target->list;
    if (!loader_ && !IsValidPasswordLength(password)) {
        context_.ui.Notice("Password must be 1-20 characters length.", "Error", Icon::Error,
                           Owner::Form);
        outcome_ = UpgradeOutcome::PasswordInvalid;
        return;
    }
    switch (CheckImageFile(std::string(path))) {
        case ImageCheck::Ok:
            break;
        case ImageCheck::NotFound:
            context_.ui.Notice("Firmware file not found", "Error", Icon::Error, Owner::Form);
            outcome_ = UpgradeOutcome::ImageNotFound;
            return;
        case ImageCheck::TooLarge:
            context_.ui.Notice(kImageTooLarge, "Error", Icon::Error, Owner::Form);
            outcome_ = UpgradeOutcome::ImageTooLarge;
            return;
    }
    context_.watch.firmwarePath = std::string(path);
    password_ = loader_ ? std::string() : std::string(password);
    triggerSequence_ = context_.sequence;
    triggering_ = true;
    tries_ = 0;
    statusBeforeStart_ = status_;
    shownBytes_ = 0;
    SetStatus("Wait....");
    SyncBusy();
    context_.loop.StartOnce(TriggerTimer(), kTriggerFirstWaitMs, [this] {
        if (context_.watch.triggerAcknowledged)
            AfterTries();
        else
            SendTry();
    });
}

void UpgradeSession::SendTry() {
    if (context_.watch.passwordRejected) {
        AfterTries();
        return;
    }
    tries_ += 1;
    uint8_t mac[6] = {};
    HexToBytes(TextOf(context_.watch.targetMac), mac, sizeof mac);
    uint8_t packet[kTriggerBuffer];
    const size_t length =
        BuildTriggerRequest(packet, mac, context_.settings.header_id, triggerSequence_,
                            loader_ ? std::nullopt : std::optional<std::string_view>(password_));
    int sent = 0;
    if (list_ == ListKind::Discovery) {
        sent = context_.transport.SendBroadcast(packet, length);
        if (sent != -1)
            sent = context_.transport.SendMulticast(packet, length);
    } else {
        sent = context_.transport.SendToDevice(context_.watch.targetAddress, packet, length);
    }
    if (sent == -1) {
        context_.ui.Notice("Upgrade trigger send error", "Error", Icon::Error, Owner::Form);
        outcome_ = UpgradeOutcome::TriggerSendFailed;
        SetStatus(statusBeforeStart_);  // the form shows what it showed before Start
        EndTrigger();
        return;
    }
    context_.loop.StartOnce(TriggerTimer(), kTriggerStepMs, [this] {
        if (context_.watch.triggerAcknowledged || tries_ >= kTriggerTries ||
            context_.watch.passwordRejected)
            AfterTries();
        else
            SendTry();
    });
}

void UpgradeSession::AfterTries() {
    password_.clear();  // the tries are over: the password is not kept
    AttachTftp();
    context_.loop.StartOnce(TriggerTimer(), kTriggerPauseMs, [this] { BeginTransfer(); });
}

void UpgradeSession::BeginTransfer() {
    triggering_ = false;
    if (context_.watch.triggerAcknowledged) {
        if (transfer_.StartTransfer() == 0)
            context_.watch.triggerAcknowledged = 0;
    } else {
        outcome_ = context_.watch.passwordRejected ? UpgradeOutcome::TriggerRefused
                                                   : UpgradeOutcome::TriggerFailed;
        SetStatus("Trigger fail");
    }
    SyncBusy();
}

void UpgradeSession::EndTrigger() {
    context_.loop.StopTimer(TriggerTimer());
    triggering_ = false;
    password_.clear();
    SyncBusy();
}

void UpgradeSession::OnFormClosing() {
    context_.loop.StopTimer(TriggerTimer());
    triggering_ = false;
    password_.clear();
    transfer_.ClearBytesSent();
    // Closed during the pause after the last block: the switch has its image and restarts,
    // so the search for it goes ahead.
    if (transfer_.CancelSuccessPause())
        Confirm();
}

}  // namespace pm
