#include "cli/UpgradeProgress.h"

#include <cstdio>

#include "cli/StderrUi.h"

namespace pm::cli {
namespace {

constexpr uint64_t kInPlaceStepMs = 100;
constexpr uint64_t kLineStepMs = 1000;
constexpr std::string_view kLabel = "upgrade ";
// Rate and time left over less than this would be noise.
constexpr uint64_t kRateAfterMs = 500;

int TenthOf(uint32_t sent, uint32_t size) {
    return size == 0 ? 10 : static_cast<int>(uint64_t{sent} * 10 / size);
}

std::string Rate(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1024.0 * 1024.0)
        std::snprintf(text, sizeof text, "%.1f MiB/s", bytesPerSecond / (1024.0 * 1024.0));
    else
        std::snprintf(text, sizeof text, "%.0f KiB/s", bytesPerSecond / 1024.0);
    return text;
}

std::string TimeLeft(uint64_t seconds) {
    if (seconds < 60)
        return std::to_string(seconds) + " s left";
    return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s left";
}

}  // namespace

std::string ProgressText(uint32_t sent, uint32_t size, uint32_t sentAtStart, uint64_t elapsedMs) {
    const uint64_t percent = size == 0 ? 100 : uint64_t{sent} * 100 / size;
    std::string text = std::to_string(percent) + "% (" + std::to_string(sent) + "/" +
                       std::to_string(size) + " bytes";
    const uint32_t moved = sent > sentAtStart ? sent - sentAtStart : 0;
    if (elapsedMs >= kRateAfterMs && moved > 0) {
        const double rate = static_cast<double>(moved) * 1000.0 / static_cast<double>(elapsedMs);
        const uint32_t left = size > sent ? size - sent : 0;
        text += ", " + Rate(rate) + ", " +
                TimeLeft(static_cast<uint64_t>(static_cast<double>(left) / rate + 0.5));
    }
    return text + ")";
}

void ProgressReport::Update(uint32_t sent, uint32_t size, uint64_t nowMs) {
    if (complete_)
        return;  // a resend of the last block says nothing new
    if (!started_) {
        started_ = true;
        startMs_ = nowMs;
        startSent_ = sent;
    }
    const bool complete = sent >= size;
    const int tenth = TenthOf(sent, size);
    const uint64_t since = nowMs - lastMs_;
    bool due = complete || lastTenth_ < 0;
    if (style_ == ProgressStyle::InPlace)
        due = due || since >= kInPlaceStepMs;
    else
        due = due || tenth > lastTenth_ || since >= kLineStepMs;
    if (!due)
        return;
    lastMs_ = nowMs;
    lastTenth_ = tenth;
    complete_ = complete;
    const std::string text =
        std::string(kLabel) + ProgressText(sent, size, startSent_, nowMs - startMs_);
    if (style_ == ProgressStyle::Lines) {
        write_(std::string(kProgramPrefix) + ": info: " + text + "\n");
        return;
    }
    // Blanks cover what a longer line before left on screen.
    std::string line = "\r" + text;
    if (text.size() < openWidth_)
        line.append(openWidth_ - text.size(), ' ');
    openWidth_ = text.size();
    write_(line);
    if (complete)
        Break();
}

void ProgressReport::Break() {
    if (openWidth_ == 0)
        return;
    openWidth_ = 0;
    write_("\n");
}

}  // namespace pm::cli
