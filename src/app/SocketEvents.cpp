#include "app/SocketEvents.h"

#include <array>

#include "app/ProgramContexts.h"
#include "base/WireConstants.h"
#include "protocol/HandleDatagram.h"

namespace pm {

bool IsDeviceSocketEvent(int eventId) {
    const auto kind = KindOfEvent(eventId);
    return kind && *kind != EventKind::Tftp;
}

std::optional<DatagramOutcome> OnDeviceSocketEvent(Program& p, int eventId) {
    if (!IsDeviceSocketEvent(eventId))
        return std::nullopt;
    std::array<uint8_t, kMaxDatagram> buffer{};
    uint32_t from = 0;
    uint16_t port = 0;
    const int n = p.net.ReceiveFromEvent(eventId, buffer.data(), buffer.size(), from, port);
    if (n < 0)
        return std::nullopt;
    return HandleDatagram(ReceiverOf(p), buffer.data(), static_cast<size_t>(n), from);
}

}  // namespace pm
