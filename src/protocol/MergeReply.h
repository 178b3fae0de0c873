#pragma once
// Merging a checked reply into the monitor table (when the switch is monitored) or the
// discovery table, and drawing its row. The staging record is the caller's: the receiver
// builds one per datagram, so a datagram handled while a message is open cannot disturb
// another's merge. Messages go into `notices` and are shown by the caller once the merge
// is complete.
#include <cstdint>
#include <span>

#include "app/Program.h"
#include "base/NoticeList.h"

namespace pm {

// Success: the reply had result 0. Error: result 6 or 255 (no mode rule, no confirmation).
enum class MergeForm { Success, Error };

// Decodes the fields into staging, merges it and, for set acknowledgements matching the
// pending set target, confirms with "Set Successful".
void MergeReply(Program& p, DeviceRecord& staging, std::span<const uint8_t> fields, MergeForm form,
                NoticeList& notices);

// A reply of another major version: merged with the header values only.
void MergeVersionOnly(Program& p, DeviceRecord& staging, NoticeList& notices);

}  // namespace pm
