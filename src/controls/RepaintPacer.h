#pragma once
// When a list view may draw its changes: at once after a quiet frame, otherwise held until
// a frame has passed since the last paint, so that a burst of changes (hundreds of replies
// merged one per turn of the event loop) is drawn about once per frame instead of once per
// change. Plain arithmetic on a millisecond clock that the view reads.
#include <cstdint>

namespace pm {

class RepaintPacer {
  public:
    static constexpr uint32_t kFrameMs = 16;

    // A change at nowMs. True: hold repaints until DueMs(), then Release(). False: draw as
    // usual (nothing was drawn within the last frame, or a hold already covers the change).
    bool Hold(uint64_t nowMs);
    uint64_t DueMs() const { return lastPaintMs_ + kFrameMs; }
    void Release() { holding_ = false; }
    bool Holding() const { return holding_; }
    void Painted(uint64_t nowMs);

  private:
    bool painted_ = false;
    bool holding_ = false;
    uint64_t lastPaintMs_ = 0;
};

}  // namespace pm
