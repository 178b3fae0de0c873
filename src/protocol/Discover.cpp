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

int Discover(DeviceLists& lists, Transport& transport, const Settings& settings, Ui& ui) {
    for (auto& entry : lists.monitor) {
        if (entry.ip_text[0] == '\0')
            break;
        PollStep(entry);
    }
    lists.discoveryList.DeleteItems(kStateAny);

    std::array<uint8_t, kHeaderSize> request{};
    size_t length = BuildDiscoverRequest(request, settings.header_id);
    lists.discovery.fill(DeviceRecord{});
    if (transport.SendBroadcast(request.data(), length) != 0) {
        ui.Notice(WithErrorCode("Discovery sento fail , ErrorCode = %d", transport.LastError()),
                  "Error", Icon::Error, Owner::MainWindow);
        return -1;
    }

    length = BuildDiscoverRequest(request, settings.header_id);
    lists.discovery.fill(DeviceRecord{});
    if (transport.SendMulticast(request.data(), length) != 0) {
        ui.Notice(WithErrorCode("Discovery sento fail when multicast, ErrorCode = %d",
                                transport.LastError()),
                  "Error", Icon::Error, Owner::MainWindow);
        return -1;
    }
    return 0;
}

}  // namespace pm
