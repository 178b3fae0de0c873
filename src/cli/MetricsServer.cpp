#include "cli/MetricsServer.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>

namespace pm::cli {
namespace {

constexpr const char* kExpositionType = "text/plain; version=0.0.4; charset=utf-8";

}  // namespace

MetricsServer::MetricsServer() = default;

MetricsServer::~MetricsServer() {
    Stop();
}

bool MetricsServer::Start(const ListenAddress& where, const std::string& firstText) {
    Publish(firstText);
    server_ = std::make_unique<httplib::Server>();
    server_->Get("/metrics", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(Snapshot(), kExpositionType);
    });
    // Address reuse (a restart binds at once) but not port sharing, which the library's
    // default turns on: a second monitor on the same port must fail, not split the scrapes.
    server_->set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // A scraper that stalls must not hold a worker for long.
    server_->set_read_timeout(5, 0);
    server_->set_write_timeout(5, 0);
    if (!server_->bind_to_port(where.host, where.port)) {
        server_.reset();
        return false;
    }
    thread_ = std::thread([server = server_.get()] { server->listen_after_bind(); });
    // stop() only reaches a server that has begun to listen: wait for that, briefly.
    for (int i = 0; i < 2000 && !server_->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void MetricsServer::Publish(std::string text) {
    std::lock_guard lock(mutex_);
    text_ = std::move(text);
}

std::string MetricsServer::Snapshot() const {
    std::lock_guard lock(mutex_);
    return text_;
}

void MetricsServer::Stop() {
    if (server_)
        server_->stop();
    if (thread_.joinable())
        thread_.join();
    server_.reset();
}

}  // namespace pm::cli
