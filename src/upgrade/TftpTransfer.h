#pragma once
// The TFTP write of the firmware image to the switch: every packet to port 69, retransmission
// driven by two 1500 ms timers (1: data, 2: write request), the end at the first short block.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/EventLoop.h"
#include "upgrade/TransferState.h"
#include "upgrade/UpgradeContext.h"
#include "upgrade/UpgradeOutcome.h"

namespace pm {

constexpr uint32_t kTftpTimerMs = 1500;
constexpr uint32_t kSuccessPauseMs = 5000;
constexpr uint32_t kDoneWaitMs = 1000;

struct TransferEvents {
    std::function<void(const std::string&)> status;
    // The last block was acknowledged and the pause after it has passed.
    std::function<void()> succeeded;
    // The switch sent an error packet: the form closes.
    std::function<void()> aborted;
    // A failure the transfer has reported (its message or status is out): not every one ends
    // the transfer, a send error leaves it to the retransmission timers.
    std::function<void(UpgradeOutcome)> failed;
};

// A data block has left (a resend too): the bytes sent so far of the image's size, and the
// status text that goes with it (empty when the status stays).
using TransferProgress = std::function<void(uint32_t sent, uint32_t size, const std::string& text)>;

class TftpTransfer {
  public:
    TftpTransfer(const UpgradeContext& context, TransferEvents events);
    ~TftpTransfer();
    TftpTransfer(const TftpTransfer&) = delete;
    TftpTransfer& operator=(const TftpTransfer&) = delete;

    // Reads the image named by the upgrade's firmware path into memory, starts timer 2 and
    // sends the write request. -1 when the image can't be read (nothing started) or the
    // request could not be sent (timer 2 resends it).
    int StartTransfer();
    int SendWriteRequest();
    void SendBlock(uint16_t n);
    void OnTftpTimer(TimerId id);
    void OnTftpDatagram(const uint8_t* data, size_t length);
    void ResetTransfer() { state_.Reset(); }
    // When set, the per-block status texts go here instead of to the status event.
    void SetProgressEvent(TransferProgress fn) { progress_ = std::move(fn); }
    // Closing the form: the byte count starts again.
    void ClearBytesSent() { state_.bytesSent = 0; }

    // The period of both retransmission timers, 1500 ms unless a lab test shortens it to
    // make lost packets cheap. Takes effect when the timers next start.
    void SetTimerPeriod(uint32_t ms) { timerMs_ = ms; }

    // Ends the pause after the last block early (the form is closing); true when it ran.
    bool CancelSuccessPause();

    // From StartTransfer until the transfer ends (success pause included).
    bool Active() const { return active_; }
    bool Finishing() const { return finishing_; }
    const TransferState& State() const { return state_; }
    TimerKey Timer(TimerId id) const { return {this, id}; }

  private:
    void SetStatus(const std::string& text);
    void Progress(const std::string& text);
    void Fail(UpgradeOutcome outcome);
    void AppendUpgradeLog(const std::string& text);
    void OnAck(uint16_t block);
    void OnError(const std::string& text);
    void Succeed();
    void StopAll();

    UpgradeContext context_;
    TransferEvents events_;
    TransferProgress progress_;
    TransferState state_;
    std::vector<uint8_t> image_;
    std::string fileName_;
    bool active_ = false;
    bool finishing_ = false;
    uint32_t timerMs_ = kTftpTimerMs;
};

}  // namespace pm
