#include "app/DiscoveryBusy.h"

namespace pm {

DiscoveryBusy::DiscoveryBusy(EventLoop& loop, std::function<void(bool busy)> show)
    : loop_(loop), show_(std::move(show)) {}

DiscoveryBusy::~DiscoveryBusy() {
    loop_.StopTimer(Timer());
}

void DiscoveryBusy::Show(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    if (show_)
        show_(busy);
}

void DiscoveryBusy::Started(int discoverResult) {
    if (discoverResult != 0) {
        loop_.StopTimer(Timer());
        Show(false);
        return;
    }
    loop_.StartOnce(Timer(), kDiscoveryBusyMs, [this] { Show(false); });
    Show(true);
}

}  // namespace pm
