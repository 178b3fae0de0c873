#pragma once
// The program without a window: the poll() loop, the socket table following the local
// interfaces, and messages on standard error.
#include <functional>
#include <memory>

#include "app/PollLoop.h"
#include "app/Program.h"
#include "app/RealNetwork.h"
#include "cli/Commands.h"
#include "cli/StderrUi.h"
#include "protocol/DatagramOutcome.h"

namespace pm::cli {

class Engine {
  public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Loads cfg/define.ecf, builds the list columns, opens the sockets of every local address
    // and routes replies to the receiver. False when the settings could not be loaded or
    // another program holds the base port in this network namespace.
    bool Start();
    // Sends a discovery request and collects replies for up to waitMs, or until stop() holds.
    bool DiscoverFor(uint64_t waitMs, const std::function<bool()>& stop = {});
    // Start, then finds the switch named by target by discovery and makes it the selection
    // (discovery list); its index, or -1 after a message.
    int StartWithTarget(const TargetOptions& target);
    // Runs the loop until done() holds or timeoutMs pass; false on timeout.
    bool RunUntil(const std::function<bool()>& done, uint64_t timeoutMs) {
        return loop.RunUntil(done, timeoutMs);
    }

    StderrUi ui;
    PollLoop loop;
    // Told what the receiver made of every datagram, when set.
    std::function<void(const DatagramOutcome&)> onDatagram;

  private:
    RealNetwork network_;

  public:
    Program program;
};

}  // namespace pm::cli
