#pragma once
#include <cstdint>
#include <string>

namespace pm {

// The upgrade in progress, as the receiver reports on it.
struct UpgradeWatch {
    char targetMac[16] = {};
    uint32_t targetAddress = 0;  // host order
    uint32_t targetMask = 0;     // host order
    std::string firmwarePath;
    uint16_t triggerAcknowledged = 0;
    uint8_t passwordRejected = 0;
    uint16_t upgradeConfirmed = 0;
    int searchCount = 0;
    bool sessionOpen = false;  // a firmware form is open; a second upgrade command is refused
    // Pace of the search after an upgrade; 0 keeps the standard 2000 ms and 60 rounds. Lab
    // tests shorten it so that a switch that never returns is given up on quickly.
    uint32_t searchStepMs = 0;
    int searchRounds = 0;
};

}  // namespace pm
