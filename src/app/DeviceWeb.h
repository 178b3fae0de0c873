#pragma once
// "Access web" and a double-click in the monitor list: open the switch's web page.
#include <string_view>

#include "app/Program.h"

namespace pm {

enum class WebRequest { Button, DoubleClick };

inline constexpr std::string_view kWebOnlyMonitor =
    "Only the devices in the monitor list can entry the web";
inline constexpr std::string_view kWebSelectOne = "Please select one device in the monitor list";
inline constexpr std::string_view kWebLoader = "Agent is in loader mode,it needs firmware upgrade";
inline constexpr std::string_view kWebBrowserFail = "Browser web fail";

// The button refuses while a discovery row is selected; the double-click does not ask.
void OpenDeviceWeb(Program& p, WebRequest from);

}  // namespace pm
