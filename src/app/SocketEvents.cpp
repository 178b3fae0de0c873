#include "app/SocketEvents.h"

#include <array>

#include "base/WireConstants.h"
#include "protocol/HandleDatagram.h"

namespace pm {

bool IsDeviceSocketEvent(int eventId) {
    const auto kind = KindOfEvent(eventId);
    return kind && *kind != EventKind::Tftp;
}

void OnDeviceSocketEvent(Program& p, int eventId) {
    if (!IsDeviceSocketEvent(eventId))
        return;
    std::array<uint8_t, kMaxDatagram> buffer{};
    uint32_t from = 0;
    uint16_t port = 0;
    const int n = p.net.ReceiveFromEvent(eventId, buffer.data(), buffer.size(), from, port);
    if (n < 0)
        return;
    HandleDatagram(p, buffer.data(), static_cast<size_t>(n), from);
}

}  // namespace pm
