#pragma once
// Merging a checked reply into the monitor table (when the switch is monitored) or the
// discovery table, and drawing its row. The staging record is the caller's: the receiver
// builds one per datagram, so a datagram handled while a message is open cannot disturb
// another's merge. Messages go into `notices` and are shown by the caller once the merge
// is complete.
#include <cstdint>
#include <optional>
#include <span>

#include "base/NoticeList.h"
#include "base/Settings.h"
#include "inventory/DeviceLists.h"
#include "inventory/DeviceRecord.h"
#include "protocol/PendingSetTarget.h"

namespace pm {

// Success: the reply had result 0. Error: result 6 or 255 (no mode rule, no confirmation).
enum class MergeForm { Success, Error };

struct MergeResult {
    std::optional<ListKind> table;  // where the record went; empty when the table was full
    bool setConfirmed = false;
};

// Decodes the fields into staging, merges it and, for set acknowledgements matching the
// pending set target, confirms with "Set Successful".
MergeResult MergeReply(DeviceLists& lists, const Settings& settings, PendingSetTarget& pending,
                       DeviceRecord& staging, std::span<const uint8_t> fields, MergeForm form,
                       NoticeList& notices);

// A reply of another major version: merged with the header values only.
MergeResult MergeVersionOnly(DeviceLists& lists, const Settings& settings, DeviceRecord& staging,
                             NoticeList& notices);

}  // namespace pm
