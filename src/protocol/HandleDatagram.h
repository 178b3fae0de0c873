#pragma once
#include <cstddef>
#include <cstdint>

#include "protocol/DatagramOutcome.h"
#include "protocol/ReceiverContext.h"

namespace pm {

// The message of a non-zero result code; empty for 0 and for 255 (whose text the device
// supplies, see DeviceReturnText).
const char* ResultMessage(uint8_t result);

// The receiver of every datagram read from a broadcast, multicast or unicast socket.
// Checks the header, updates the upgrade watch and the sequence counter, reports device
// errors and merges good replies. At most 1500 bytes are read; missing header bytes read
// as zero. senderHostOrder is the datagram's source address. Every state change of one
// datagram is made before any of its messages is shown, so the handler may be entered
// again from inside Ui::Notice. Returns what became of the datagram.
DatagramOutcome HandleDatagram(const ReceiverContext& receiver, const uint8_t* data, size_t length,
                               uint32_t senderHostOrder);

}  // namespace pm
