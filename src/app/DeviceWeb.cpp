#include "app/DeviceWeb.h"

#include <string>

#include "app/DeviceSelection.h"
#include "base/WireConstants.h"
#include "inventory/DeviceTables.h"
#include "inventory/RowBuilders.h"

namespace pm {

void OpenDeviceWeb(Program& p, WebRequest from) {
    auto fail = [&p](std::string_view text) { p.ui.Notice(text, "Error", Icon::Error); };
    if (from == WebRequest::Button && p.lists.discoveryList.GetItemCount(kStateSelected) > 0)
        return fail(kWebOnlyMonitor);
    const int selected = p.lists.monitorList.GetItemCount(kStateSelected);
    if (selected >= 2)
        return fail(kOnlyOneDevice);
    if (selected == 0)
        return fail(kWebSelectOne);

    const std::string ipText =
        p.lists.monitorList.GetItemText(p.lists.monitorList.FirstSelected(), kMonIp);
    const Lookup found = FindMonitorByAddress(p.lists, ipText);
    if (!found.found || found.index >= static_cast<int>(kTableSize))
        return fail(kWebSelectOne);
    const DeviceRecord& entry = p.lists.monitor[static_cast<size_t>(found.index)];
    if (entry.loader == kLoaderMarker)
        return fail(kWebLoader);
    if (!p.ui.OpenUrl("http://" + std::string(TextOf(entry.ip_text)) + "/"))
        fail(kWebBrowserFail);
}

}  // namespace pm
