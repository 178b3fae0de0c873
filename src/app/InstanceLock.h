#pragma once
// One program per network namespace and base port. Two copies on the same ports would take
// each other's replies (every socket allows address reuse), so the first one holds a lock:
// a listening Unix socket in the abstract namespace named after the base port. Abstract
// names belong to the network namespace, as the ports do, and vanish with the process that
// holds them, so no stale lock is ever left behind. A second copy that finds the name taken
// connects to it and learns the holder's process id from the connection's credentials.
#include <cstdint>
#include <string>

#include "base/EventLoop.h"

namespace pm {

struct LockHolder {
    int pid = 0;       // 0 when it could not be found out
    std::string name;  // the holder's command name (/proc/<pid>/comm), empty when unknown
};

// The abstract socket name for a base port (without its leading zero byte).
std::string InstanceLockName(uint16_t basePort);

// What a refused copy says.
std::string SecondInstanceMessage(uint16_t basePort, const LockHolder& holder);

class InstanceLock {
  public:
    explicit InstanceLock(EventLoop& loop) : loop_(loop) {}
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock for basePort; false when another process holds it (Holder() says who).
    bool Acquire(uint16_t basePort);
    void Release();
    bool Held() const { return fd_ >= 0; }
    const LockHolder& Holder() const { return holder_; }

  private:
    EventLoop& loop_;
    int fd_ = -1;
    LockHolder holder_;
};

}  // namespace pm
