#pragma once
// The workstation's adapters as one snapshot: the real source reads getifaddrs(); tests
// script adapter changes with a fake.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

struct AdapterAddress {
    uint32_t address = 0;  // network byte order
    uint32_t mask = 0;     // network byte order
    bool seen = false;
};

struct AdapterEntry {
    std::string name;  // the key between passes
    uint32_t index = 0;
    std::array<uint8_t, 6> mac{};
    bool seen = false;
    std::vector<AdapterAddress> addresses;
};

using AdapterSnapshot = std::vector<AdapterEntry>;

class InterfaceSource {
  public:
    virtual ~InterfaceSource() = default;
    // Interfaces that are up and running, loopback left out, with their IPv4 addresses.
    virtual AdapterSnapshot ReadAdapters() = 0;
};

}  // namespace pm
