#pragma once
// A FIFO where a file is expected. Should the code under test open it and wait for a
// writer, the guard opens it for writing (and closes it again) so that the wait ends: the
// fault then shows as a failed test, not a hung one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace pm::test {

class GuardedFifo {
  public:
    explicit GuardedFifo(std::string path) : path_(std::move(path)) {
        ok_ = ::mkfifo(path_.c_str(), 0600) == 0;
        if (ok_)
            guard_ = std::thread([this] { Guard(); });
    }
    ~GuardedFifo() {
        stop_ = true;
        if (guard_.joinable())
            guard_.join();
        ::unlink(path_.c_str());
    }
    GuardedFifo(const GuardedFifo&) = delete;
    GuardedFifo& operator=(const GuardedFifo&) = delete;
    bool Ok() const { return ok_; }

  private:
    void Guard() {
        // At most 30 s, in steps of 20 ms.
        for (int i = 0; i < 1500 && !stop_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            // Succeeds only while a reader holds the FIFO open.
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        }
    }

    std::string path_;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread guard_;
};

}  // namespace pm::test
