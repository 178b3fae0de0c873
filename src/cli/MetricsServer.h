#pragma once
// The /metrics endpoint of `monitor --listen`: an HTTP server on its own thread that serves a
// snapshot of the metrics text. The loop thread renders the text after each refresh tick and
// hands it over with Publish; the server thread only ever reads that string, under a lock, and
// never touches the device tables.
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/ListenAddress.h"

namespace httplib {
class Server;
}

namespace pm::cli {

class MetricsServer {
  public:
    MetricsServer();
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Binds the address and starts serving; false (with nothing started) when the address
    // cannot be bound.
    bool Start(const ListenAddress& where, const std::string& firstText);
    void Publish(std::string text);
    void Stop();

  private:
    std::string Snapshot() const;
    mutable std::mutex mutex_;
    std::string text_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
};

}  // namespace pm::cli
