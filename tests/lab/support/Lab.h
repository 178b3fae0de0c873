#pragma once
// Network namespaces for tests that open real sockets: nothing of a lab touches the
// machine's own network. The fixed topology:
//
//   <prefix>-mgr   m0: 10.201.1.2/24 and 10.201.2.2/24      m1: 10.202.1.2/24
//                   |                                        |
//   <prefix>-br    bridge bA (segment 0)                     bridge bB (segment 1)
//                   |  ...                                   |  ...
//   <prefix>-sN    eth0 of each switch added with AddSwitch(segment, address)
//
// Names carry the process id; the destructor, an atexit hook and fatal-signal handlers
// remove every namespace, and a new lab first removes leftovers of dead processes.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/PollLoop.h"
#include "switch-sim/SwitchSim.h"

namespace pm::lab {

// Root and the ip tool: without them lab tests skip.
bool CanBuildLabs();
// Runs a shell command, reporting a failure on standard error.
bool Sh(const std::string& command);

class Lab {
  public:
    Lab();
    ~Lab();
    Lab(const Lab&) = delete;
    Lab& operator=(const Lab&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Manager() const { return manager_; }
    // A switch namespace whose eth0 holds cidr ("10.201.1.10/24"), on segment 0 or 1.
    std::string AddSwitch(int segment, const std::string& cidr);
    // "ip -n <manager> <args>".
    bool ManagerIp(const std::string& args) const;

  private:
    std::string prefix_, tag_, manager_, bridge_;
    std::vector<std::string> switches_;
    bool ok_ = false;
};

// Moves the calling thread into a named namespace and back out when destroyed.
class EnterNamespace {
  public:
    explicit EnterNamespace(const std::string& name);
    ~EnterNamespace();
    EnterNamespace(const EnterNamespace&) = delete;
    EnterNamespace& operator=(const EnterNamespace&) = delete;
    bool Ok() const { return ok_; }

  private:
    int original_ = -1;
    bool ok_ = false;
};

// A thread that runs fn inside the namespace (fn is not called if entering fails).
std::thread StartInNamespace(const std::string& name, std::function<void()> fn);

// Simulated switches on their own thread and PollLoop inside a switch namespace.
class SimThread {
  public:
    SimThread(const std::string& ns, sim::SimOptions options,
              std::vector<sim::SwitchConfig> switches);
    ~SimThread();
    SimThread(const SimThread&) = delete;
    SimThread& operator=(const SimThread&) = delete;
    // Empty when the simulator runs; else why it does not.
    const std::string& Error() const { return error_; }
    sim::SwitchSim& Sim() { return *sim_; }

  private:
    PollLoop loop_;
    std::unique_ptr<sim::SwitchSim> sim_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    int wake_ = -1;
    std::string error_;
};

}  // namespace pm::lab
