#include "controls/RepaintPacer.h"

namespace pm {

bool RepaintPacer::Hold(uint64_t nowMs) {
    if (holding_ || !painted_ || nowMs >= lastPaintMs_ + kFrameMs)
        return false;
    holding_ = true;
    return true;
}

void RepaintPacer::Painted(uint64_t nowMs) {
    painted_ = true;
    lastPaintMs_ = nowMs;
}

}  // namespace pm
