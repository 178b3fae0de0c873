#pragma once
// What the receiver made of one datagram, besides the messages it showed, so that a
// front-end can act on the answer to its request without reading the messages.
#include <cstdint>
#include <optional>
#include <string>

#include "base/WireConstants.h"
#include "inventory/DeviceLists.h"

namespace pm {

enum class DatagramKind {
    Dropped,              // failed a header check, or a copy of an acknowledgement already seen
    NotMerged,            // a good reply whose command is never merged
    Merged,               // merged into the monitor or the discovery table
    SetConfirmed,         // merged, and it confirmed the pending set request
    TableFull,            // a new switch, but the discovery table has no room left
    DeviceError,          // a non-zero result code
    TriggerAcknowledged,  // the upgrade target acknowledged the upgrade trigger
};

struct DatagramOutcome {
    DatagramKind kind = DatagramKind::Dropped;
    // The table the record went to. Results 6 and 255 are merged as well, unless the table is
    // full.
    std::optional<ListKind> mergedInto;
    uint8_t resultCode = 0;         // DeviceError: the low byte of the header's result
    std::string errorText;          // DeviceError: the message shown for it
    bool upgradeConfirmed = false;  // a discover reply of the upgrade target
    // A set acknowledgement (4, 8, 15) from the switch the pending set request went to: only
    // such a reply decides how that request ended.
    bool fromSetTarget = false;

    bool PasswordRejected() const {
        return kind == DatagramKind::DeviceError &&
               resultCode == static_cast<uint8_t>(ResultCode::Password);
    }
    bool operator==(const DatagramOutcome&) const = default;
};

}  // namespace pm
