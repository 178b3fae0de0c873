#include "protocol/Discover.h"

#include <array>
#include <cstdio>
#include <string>

#include "base/WireConstants.h"
#include "inventory/PollStep.h"
#include "protocol/ProtocolHeader.h"

namespace pm {
namespace {

std::string WithErrorCode(const char* format, int code) {
    char text[96];
    std::snprintf(text, sizeof text, format, code);
    return text;
}

}  // namespace

int Discover(Program& p) {
    for (auto& entry : p.lists.monitor) {
        if (entry.ip_text[0] == '\0')
            break;
        PollStep(entry);
    }
    p.lists.discoveryList.DeleteItems(kStateAny);

    std::array<uint8_t, kHeaderSize> request{};
    size_t length = BuildDiscoverRequest(request, p.settings.header_id);
    p.lists.discovery.fill(DeviceRecord{});
    if (p.net.SendBroadcast(request.data(), length) != 0) {
        p.ui.Notice(WithErrorCode("Discovery sento fail , ErrorCode = %d", p.net.LastError()),
                    "Error", Icon::Error, Owner::MainWindow);
        return -1;
    }

    length = BuildDiscoverRequest(request, p.settings.header_id);
    p.lists.discovery.fill(DeviceRecord{});
    if (p.net.SendMulticast(request.data(), length) != 0) {
        p.ui.Notice(
            WithErrorCode("Discovery sento fail when multicast, ErrorCode = %d", p.net.LastError()),
            "Error", Icon::Error, Owner::MainWindow);
        return -1;
    }
    return 0;
}

}  // namespace pm
