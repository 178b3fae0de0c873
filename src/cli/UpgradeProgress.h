#pragma once
// How portmesa-cli shows an upgrade's progress, never a line per block. On a terminal: one
// line rewritten in place, at most ten times a second. Otherwise (a pipe, a file): a line
// whenever another tenth of the image has left or a second has passed since the last line.
#include <cstdint>
#include <functional>
#include <string>

namespace pm::cli {

enum class ProgressStyle { InPlace, Lines };

// "42% (1761280/4194304 bytes, 350 KiB/s, 7 s left)"; rate and time left from the bytes sent
// since the first report, elapsedMs after it (left out for the first half second).
std::string ProgressText(uint32_t sent, uint32_t size, uint32_t sentAtStart, uint64_t elapsedMs);

class ProgressReport {
  public:
    ProgressReport(ProgressStyle style, std::function<void(const std::string&)> write)
        : style_(style), write_(std::move(write)) {}
    // A block has left: sent of size bytes, at nowMs on the loop's clock.
    void Update(uint32_t sent, uint32_t size, uint64_t nowMs);
    // Ends a line being rewritten in place, so that other output starts on a line of its own.
    void Break();

  private:
    ProgressStyle style_;
    std::function<void(const std::string&)> write_;
    bool started_ = false;
    bool complete_ = false;
    uint64_t startMs_ = 0;
    uint32_t startSent_ = 0;
    uint64_t lastMs_ = 0;
    int lastTenth_ = -1;
    size_t openWidth_ = 0;  // of the in-place line on screen; 0 when none is open
};

}  // namespace pm::cli
