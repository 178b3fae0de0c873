#include "upgrade/RetransmitTimeout.h"

#include <algorithm>
#include <cmath>

namespace pm {
namespace {

// The clock's granularity: the variation term never counts for less than one tick.
constexpr double kGranularityMs = 1;

}  // namespace

void RetransmitTimeout::Sample(uint64_t rttMs) {
    const double r = static_cast<double>(rttMs);
    if (!measured_) {
        srttMs_ = r;
        rttvarMs_ = r / 2;
        measured_ = true;
    } else {
        rttvarMs_ = 0.75 * rttvarMs_ + 0.25 * std::abs(srttMs_ - r);
        srttMs_ = 0.875 * srttMs_ + 0.125 * r;
    }
    const double rto = std::ceil(srttMs_ + std::max(kGranularityMs, 4 * rttvarMs_));
    timeoutMs_ = static_cast<uint32_t>(
        std::clamp(rto, static_cast<double>(kFloorMs), static_cast<double>(kCeilingMs)));
}

void RetransmitTimeout::Sent(uint64_t nowMs, uint32_t patienceMs) {
    waiting_ = true;
    sentMs_ = nowMs;
    resends_ = 0;
    patienceMs_ = patienceMs;
    resendMs_ = nowMs + timeoutMs_;
    giveUpMs_ = nowMs + patienceMs;
}

void RetransmitTimeout::Acknowledged(uint64_t nowMs) {
    if (waiting_ && resends_ == 0)
        Sample(nowMs - sentMs_);
    waiting_ = false;
}

void RetransmitTimeout::Heard(uint64_t nowMs) {
    if (waiting_)
        giveUpMs_ = std::max(giveUpMs_, nowMs + patienceMs_);
}

RetransmitTimeout::Step RetransmitTimeout::Expire(uint64_t nowMs) {
    if (!waiting_)
        return Step::Wait;
    if (nowMs >= giveUpMs_) {
        waiting_ = false;
        return Step::GiveUp;
    }
    if (resends_ >= kMaxResends || nowMs < resendMs_)
        return Step::Wait;
    ++resends_;
    timeoutMs_ = std::min(2 * timeoutMs_, kCeilingMs);
    resendMs_ = nowMs + timeoutMs_;
    return Step::Resend;
}

uint64_t RetransmitTimeout::DueMs() const {
    return resends_ >= kMaxResends ? giveUpMs_ : std::min(resendMs_, giveUpMs_);
}

}  // namespace pm
