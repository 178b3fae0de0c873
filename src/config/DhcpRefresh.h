#pragma once
// The DHCP refresh of one switch: its own settings sent back with the addresses 0.0.0.0, in
// a request marked by minor 1 and revision 6.
#include <string_view>

#include "app/Program.h"

namespace pm {

// The Apply button: fills the refresh working copy with the device's entry and the typed
// password (not checked) and sends it. The form always closes afterwards.
void RefreshDhcp(Program& p, std::string_view password);

// Sends the request built from the refresh working copy: 0 sent, -1 send failed.
int SendDhcpRefresh(Program& p);

}  // namespace pm
