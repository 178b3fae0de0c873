#pragma once
// The DHCP refresh of one switch: its own settings sent back with the addresses 0.0.0.0, in
// a request marked by minor 1 and revision 6.
#include <string_view>

#include "config/SetRequest.h"
#include "inventory/DeviceRecord.h"

namespace pm {

// The switches a DHCP refresh is offered for, in the window and on the command line: those
// in DHCP mode with protocol revision 3 or later.
bool OffersDhcpRefresh(const DeviceRecord& device);

// The Apply button: fills the form's working copy with the device's entry and the typed
// password (not checked) and sends it. The form always closes afterwards.
SetOutcome RefreshDhcp(const SetRequestContext& context, std::string_view password,
                       DeviceRecord& workingCopy);

// Sends the request built from the working copy: Sent or SendFailed.
SetOutcome SendDhcpRefresh(const SetRequestContext& context, const DeviceRecord& workingCopy);

}  // namespace pm
