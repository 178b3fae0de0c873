#pragma once
// What stands behind the firmware form: the upgrade trigger, the TFTP transfer and the hand-
// over to the search. The form only passes its fields in and shows what is reported here.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/EventLoop.h"
#include "base/Ui.h"
#include "inventory/DeviceLists.h"
#include "upgrade/TftpTransfer.h"
#include "upgrade/UpgradeContext.h"
#include "upgrade/UpgradeOutcome.h"

namespace pm {

constexpr uint32_t kTriggerFirstWaitMs = 500;
constexpr uint32_t kTriggerStepMs = 500;
constexpr int kTriggerTries = 30;
constexpr uint32_t kTriggerPauseMs = 2000;

struct UpgradeView {
    std::function<void(const std::string&)> status;  // the "Upgrade State" text
    std::function<void()> close;                     // close the form
    std::function<void(bool busy)> busy;             // Start can't be pressed while busy
    // Bytes of the image sent so far (first copies) out of its size, as blocks go out.
    std::function<void(uint32_t sent, uint32_t total)> progress = nullptr;
};

inline const std::vector<FileFilter>& FirmwareFileFilters() {
    static const std::vector<FileFilter> filters{{"hex File (*.hex)", "*.hex"},
                                                 {"bin File (*.bin)", "*.bin"}};
    return filters;
}

class UpgradeSession {
  public:
    UpgradeSession(const UpgradeContext& context, UpgradeView view);
    ~UpgradeSession();
    UpgradeSession(const UpgradeSession&) = delete;
    UpgradeSession& operator=(const UpgradeSession&) = delete;

    // What the form shows when it opens.
    std::string DeviceIpText() const;
    std::string DeviceMacText() const;
    const std::string& FirmwarePath() const { return context_.watch.firmwarePath; }
    bool Loader() const { return loader_; }

    // Opening the form: TFTP replies come here from now on; the transfer starts afresh.
    void Open();
    // From now on each data block that leaves reports the bytes sent of the image's size
    // here, in place of the "Upgrade..." and "Complete..." status texts.
    void ShowProgress(std::function<void(uint32_t sent, uint32_t size)> progress) {
        progress_ = std::move(progress);
    }
    // The file chooser; returns the path for the path field (empty when cancelled).
    std::string Browse();
    void Start(std::string_view path, std::string_view password);
    // Cancel or the close box. The form closes after this returns.
    void OnFormClosing();

    // A TFTP read event: reads one datagram (at most 512 bytes) and handles it.
    void OnTftpEvent(int eventId);
    void OnTftpDatagram(const uint8_t* data, size_t length, uint32_t fromHostOrder) {
        transfer_.OnTftpDatagram(data, length, fromHostOrder);
        SyncBusy();
    }

    bool Busy() const { return triggering_ || transfer_.Active(); }
    // How the upgrade begun by the last Start ended, or the failure it last reported; None
    // while nothing has. A refused password counts from the moment the receiver has seen it.
    UpgradeOutcome Outcome() const;
    // True once the upgrade begun by the last Start has ended where the form's ends: a
    // refusal at Start, a failed trigger, a transfer that gave up or that the switch refused,
    // or the search's result. A send error alone ends nothing (the timers try again), nor
    // does an unanswered write request while a late acknowledgement carries the transfer on.
    bool Ended() const;
    const std::string& Status() const { return status_; }
    TftpTransfer& Transfer() { return transfer_; }
    TimerKey TriggerTimer() const { return {this, TimerId::UpgradeTrigger}; }

  private:
    void SetStatus(const std::string& text);
    void ReportProgress();
    void OnProgress(uint32_t sent, uint32_t size, const std::string& text);
    void AttachTftp();
    void SendTry();
    void AfterTries();
    void BeginTransfer();
    void EndTrigger();
    void SyncBusy();
    void Confirm();

    UpgradeContext context_;
    UpgradeView view_;
    std::function<void(uint32_t sent, uint32_t size)> progress_;
    TftpTransfer transfer_;
    ListKind list_ = ListKind::Discovery;
    bool loader_ = false;
    std::string password_;
    uint16_t triggerSequence_ = 0;
    int tries_ = 0;
    bool triggering_ = false;
    bool shownBusy_ = false;
    uint32_t shownBytes_ = 0;  // the progress last reported
    std::string status_;
    std::string statusBeforeStart_;
    UpgradeOutcome outcome_ = UpgradeOutcome::None;
    // Handlers given to the transport outlive the form; they check this before using it.
    std::shared_ptr<UpgradeSession*> self_;
};

}  // namespace pm
