#pragma once
// Where the /metrics endpoint listens: "PORT" or ":PORT" on the loopback address,
// "ADDRESS:PORT" on the given IPv4 address, "[ADDRESS]:PORT" on an IPv6 one.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pm {

inline constexpr std::string_view kDefaultListenHost = "127.0.0.1";

struct ListenAddress {
    std::string host;  // numeric, without brackets
    uint16_t port = 0;
    bool operator==(const ListenAddress&) const = default;
};

// nullopt when the text is not one of the forms above or the port is not 1-65535.
std::optional<ListenAddress> ParseListenAddress(std::string_view text);

}  // namespace pm
