#pragma once
// The TFTP write of the firmware image to the switch: every packet to port 69, the write
// request and each block resent after a timeout that follows the measured round trip
// (RetransmitTimeout), the end at the first short block.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/EventLoop.h"
#include "upgrade/RetransmitTimeout.h"
#include "upgrade/TransferState.h"
#include "upgrade/UpgradeContext.h"
#include "upgrade/UpgradeOutcome.h"

namespace pm {

// How long the user waits without any acknowledgement before a block is given up (ten
// resends 3 s apart, the first 1.5 s after the block, and 3 s after the last) and before
// "Device not found" (five resends, the first 3 s after the request, then 1.5 s apart).
constexpr uint32_t kBlockPatienceMs = 31500;
constexpr uint32_t kWriteRequestPatienceMs = 9000;
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

    // Reads the image named by the upgrade's firmware path into memory and sends the write
    // request. -1 when the image can't be read (nothing started) or the request could not be
    // sent (it is resent when its timeout passes).
    int StartTransfer();
    int SendWriteRequest();
    void SendBlock(uint16_t n);
    void OnTftpTimer(TimerId id);
    // A reply from fromHostOrder; only the upgrade target's address counts (any port).
    void OnTftpDatagram(const uint8_t* data, size_t length, uint32_t fromHostOrder);
    void ResetTransfer() { state_.Reset(); }
    // When set, the per-block status texts go here instead of to the status event.
    void SetProgressEvent(TransferProgress fn) { progress_ = std::move(fn); }
    // Closing the form: the byte count starts again.
    void ClearBytesSent() { state_.bytesSent = 0; }

    // Ends the pause after the last block early (the form is closing); true when it ran.
    bool CancelSuccessPause();

    // From StartTransfer until the transfer ends (success pause included).
    bool Active() const { return active_; }
    bool Finishing() const { return finishing_; }
    const TransferState& State() const { return state_; }
    const RetransmitTimeout& Timeout() const { return timeout_; }
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
    // Runs timer id when the timeout next has something to do.
    void ArmTimeout(TimerId id);

    UpgradeContext context_;
    TransferEvents events_;
    TransferProgress progress_;
    TransferState state_;
    std::vector<uint8_t> image_;
    std::string fileName_;
    bool active_ = false;
    bool finishing_ = false;
    RetransmitTimeout timeout_;
    // When the running timeout timer fires: a timer due later than the timeout is restarted,
    // one due earlier is left to fire and look again (so a block does not restart a timer).
    uint64_t armedForMs_ = 0;
};

}  // namespace pm
