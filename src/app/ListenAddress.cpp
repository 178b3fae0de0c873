#include "app/ListenAddress.h"

#include <arpa/inet.h>

#include <charconv>

namespace pm {
namespace {

std::optional<uint16_t> ParsePort(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 ||
        value > 65535)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

bool IsAddress(int family, const std::string& host) {
    unsigned char buffer[16];
    return inet_pton(family, host.c_str(), buffer) == 1;
}

}  // namespace

std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        const auto port = ParsePort(text);
        return port ? std::optional<ListenAddress>({std::string(kDefaultListenHost), *port})
                    : std::nullopt;
    }
    const auto port = ParsePort(text.substr(colon + 1));
    if (!port)
        return std::nullopt;
    std::string_view host = text.substr(0, colon);
    if (host.empty())
        return ListenAddress{std::string(kDefaultListenHost), *port};
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']')
            return std::nullopt;
        const std::string inner(host.substr(1, host.size() - 2));
        return IsAddress(AF_INET6, inner) ? std::optional<ListenAddress>({inner, *port})
                                          : std::nullopt;
    }
    const std::string v4(host);
    return IsAddress(AF_INET, v4) ? std::optional<ListenAddress>({v4, *port}) : std::nullopt;
}

}  // namespace pm
