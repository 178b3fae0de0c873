#pragma once
// The Prometheus exports of `monitor`: the textfile-collector file (--metrics-file) and the
// /metrics endpoint (--listen), both fed with the same text after each refresh tick.
#include <cstdint>
#include <string>

#include "app/Program.h"
#include "app/ReplyTimes.h"
#include "cli/Commands.h"
#include "cli/MetricsServer.h"

namespace pm::cli {

class MetricsExport {
  public:
    // Takes the monitor list as it stands as the starting point, writes the first file and
    // starts the endpoint. False after a message when the address cannot be listened on.
    bool Start(const MonitorOptions& o, const Program& p, Ui& ui);
    // After every handler of the loop: times polls and replies.
    void Observe(const Program& p);
    // After each refresh tick.
    void Tick(const Program& p, Ui& ui);
    void Stop() { server_.Stop(); }

  private:
    void Export(const Program& p, Ui& ui);
    bool active_ = false;
    std::string file_;
    bool serving_ = false;
    bool fileFailed_ = false;  // reported once until a write succeeds again
    uint64_t ticks_ = 0;
    ReplyTimes times_;
    MetricsServer server_;
};

}  // namespace pm::cli
