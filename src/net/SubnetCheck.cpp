#include "net/SubnetCheck.h"

#include <arpa/inet.h>

#include "base/AddressText.h"

namespace pm {

int CheckManagerSubnet(InterfaceSource& interfaces, Ui& ui, uint32_t deviceAddress) {
    for (const auto& adapter : interfaces.ReadAdapters()) {
        for (const auto& local : adapter.addresses) {
            if (IsSameSubnet(deviceAddress, ntohl(local.address), ntohl(local.mask)) == 0)
                return 1;
        }
    }
    ui.Notice("The device IP and manager IP are not in the same subnet", "Error", Icon::Error);
    return -1;
}

}  // namespace pm
