#include "upgrade/UpgradeSession.h"

#include "base/WireConstants.h"
#include "config/Validation.h"
#include "upgrade/ConfirmUpgrade.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/UpgradeCommand.h"
#include "upgrade/UpgradePackets.h"

namespace pm {

UpgradeSession::UpgradeSession(Program& p, UpgradeView view)
    : p_(p),
      view_(std::move(view)),
      transfer_(p, TransferEvents{[this](const std::string& text) { SetStatus(text); },
                                  [this] {
                                      ConfirmUpgrade(p_);
                                      SyncBusy();
                                      if (view_.close)
                                          view_.close();
                                  },
                                  [this] {
                                      SyncBusy();
                                      if (view_.close)
                                          view_.close();
                                  }}),
      self_(std::make_shared<UpgradeSession*>(this)) {
    list_ = p.selection.list;
    if (const DeviceRecord* r = SelectedRecord(p.lists, p.selection))
        loader_ = r->loader == kLoaderMarker;
    p_.upgrade.sessionOpen = true;
}

UpgradeSession::~UpgradeSession() {
    p_.loop.StopTimer(TriggerTimer());
    *self_ = nullptr;
    p_.upgrade.sessionOpen = false;
}

std::string UpgradeSession::DeviceIpText() const {
    return AddressToText(p_.upgrade.targetAddress);
}

std::string UpgradeSession::DeviceMacText() const {
    return std::string(TextOf(p_.upgrade.targetMac));
}

void UpgradeSession::SetStatus(const std::string& text) {
    status_ = text;
    if (view_.status)
        view_.status(text);
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
    Transport* net = &p_.net;
    p_.net.AttachTftpWindow([weak, net](int eventId) {
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
    auto chosen = p_.ui.ChooseOpenFile("*.hex", FirmwareFileFilters());
    p_.upgrade.firmwarePath = chosen ? *chosen : std::string();
    return p_.upgrade.firmwarePath;
}

void UpgradeSession::OnTftpEvent(int eventId) {
    uint8_t buffer[kTftpReceiveSize];
    uint32_t from = 0;
    uint16_t port = 0;
    const int n = p_.net.ReceiveFromEvent(eventId, buffer, sizeof buffer, from, port);
    if (n < 0)
        return;
    OnTftpDatagram(buffer, static_cast<size_t>(n));
    SyncBusy();
}

void UpgradeSession::Start(std::string_view path, std::string_view password) {
    if (Busy())
        return;
    p_.upgrade.passwordRejected = 0;
    if (!loader_ && !IsValidPasswordLength(password)) {
        p_.ui.Notice("Password must be 1-20 characters length.", "Error", Icon::Error, Owner::Form);
        return;
    }
    switch (CheckImageFile(std::string(path))) {
        case ImageCheck::Ok:
            break;
        case ImageCheck::NotFound:
            p_.ui.Notice("Firmware file not found", "Error", Icon::Error, Owner::Form);
            return;
        case ImageCheck::TooLarge:
            p_.ui.Notice(kImageTooLarge, "Error", Icon::Error, Owner::Form);
            return;
    }
    p_.upgrade.firmwarePath = std::string(path);
    password_ = loader_ ? std::string() : std::string(password);
    triggerSequence_ = p_.sequence;
    triggering_ = true;
    tries_ = 0;
    statusBeforeStart_ = status_;
    SetStatus("Wait....");
    SyncBusy();
    p_.loop.StartOnce(TriggerTimer(), kTriggerFirstWaitMs, [this] {
        if (p_.upgrade.triggerAcknowledged)
            AfterTries();
        else
            SendTry();
    });
}

void UpgradeSession::SendTry() {
    if (p_.upgrade.passwordRejected) {
        AfterTries();
        return;
    }
    tries_ += 1;
    uint8_t mac[6] = {};
    HexToBytes(TextOf(p_.upgrade.targetMac), mac, sizeof mac);
    uint8_t packet[kTriggerBuffer];
    const size_t length =
        BuildTriggerRequest(packet, mac, p_.settings.header_id, triggerSequence_,
                            loader_ ? std::nullopt : std::optional<std::string_view>(password_));
    int sent = 0;
    if (list_ == ListKind::Discovery) {
        sent = p_.net.SendBroadcast(packet, length);
        if (sent != -1)
            sent = p_.net.SendMulticast(packet, length);
    } else {
        sent = p_.net.SendToDevice(p_.upgrade.targetAddress, packet, length);
    }
    if (sent == -1) {
        p_.ui.Notice("Upgrade trigger send error", "Error", Icon::Error, Owner::Form);
        SetStatus(statusBeforeStart_);  // the form shows what it showed before Start
        EndTrigger();
        return;
    }
    p_.loop.StartOnce(TriggerTimer(), kTriggerStepMs, [this] {
        if (p_.upgrade.triggerAcknowledged || tries_ >= kTriggerTries ||
            p_.upgrade.passwordRejected)
            AfterTries();
        else
            SendTry();
    });
}

void UpgradeSession::AfterTries() {
    AttachTftp();
    p_.loop.StartOnce(TriggerTimer(), kTriggerPauseMs, [this] { BeginTransfer(); });
}

void UpgradeSession::BeginTransfer() {
    triggering_ = false;
    if (p_.upgrade.triggerAcknowledged) {
        if (transfer_.StartTransfer() == 0)
            p_.upgrade.triggerAcknowledged = 0;
    } else {
        SetStatus("Trigger fail");
    }
    SyncBusy();
}

void UpgradeSession::EndTrigger() {
    p_.loop.StopTimer(TriggerTimer());
    triggering_ = false;
    SyncBusy();
}

void UpgradeSession::OnFormClosing() {
    p_.loop.StopTimer(TriggerTimer());
    triggering_ = false;
    transfer_.ClearBytesSent();
    // Closed during the pause after the last block: the switch has its image and restarts,
    // so the search for it goes ahead.
    if (transfer_.CancelSuccessPause())
        ConfirmUpgrade(p_);
}

}  // namespace pm
