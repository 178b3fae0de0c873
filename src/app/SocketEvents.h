#pragma once
// Socket events of the main window: a datagram is waiting behind an event identifier.
#include <optional>

#include "app/Program.h"
#include "protocol/DatagramOutcome.h"

namespace pm {

// Broadcast, multicast and unicast identifiers (33273 ... 33367, not the TFTP ones).
bool IsDeviceSocketEvent(int eventId);
// Reads one datagram of at most 1500 bytes into a zeroed buffer and hands it to
// HandleDatagram; TFTP identifiers, unknown identifiers and failed reads are left alone.
// Returns what the receiver made of the datagram, nothing when none was handed to it.
std::optional<DatagramOutcome> OnDeviceSocketEvent(Program& p, int eventId);

}  // namespace pm
