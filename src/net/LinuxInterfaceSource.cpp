#include "net/LinuxInterfaceSource.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace pm {

namespace {

// An address with a label ("eth0:1") belongs to the interface before the colon.
std::string BaseName(const char* name) {
    std::string s(name);
    const auto colon = s.find(':');
    if (colon != std::string::npos)
        s.resize(colon);
    if (s.size() > 127)
        s.resize(127);
    return s;
}

bool Usable(unsigned flags) {
    return (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
}

}  // namespace

AdapterSnapshot LinuxInterfaceSource::ReadAdapters() {
    AdapterSnapshot snapshot;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return snapshot;

    auto entryFor = [&snapshot](const std::string& name) -> AdapterEntry& {
        auto it = std::find_if(snapshot.begin(), snapshot.end(),
                               [&](const AdapterEntry& e) { return e.name == name; });
        if (it != snapshot.end())
            return *it;
        AdapterEntry e;
        e.name = name;
        e.index = ::if_nametoindex(name.c_str());
        snapshot.push_back(e);
        return snapshot.back();
    };

    // getifaddrs lists every link (AF_PACKET) before the addresses, so the entries stand in
    // link order and the addresses in the kernel's order.
    for (ifaddrs* p = list; p; p = p->ifa_next) {
        if (!p->ifa_addr || !Usable(p->ifa_flags))
            continue;
        if (p->ifa_addr->sa_family == AF_PACKET) {
            AdapterEntry& e = entryFor(BaseName(p->ifa_name));
            const auto* ll = reinterpret_cast<const sockaddr_ll*>(p->ifa_addr);
            if (ll->sll_halen >= 6)
                std::memcpy(e.mac.data(), ll->sll_addr, 6);
            if (ll->sll_ifindex > 0)
                e.index = static_cast<uint32_t>(ll->sll_ifindex);
        } else if (p->ifa_addr->sa_family == AF_INET) {
            const auto* a = reinterpret_cast<const sockaddr_in*>(p->ifa_addr);
            if (a->sin_addr.s_addr == 0)
                continue;
            AdapterAddress row;
            row.address = a->sin_addr.s_addr;
            if (p->ifa_netmask)
                row.mask = reinterpret_cast<const sockaddr_in*>(p->ifa_netmask)->sin_addr.s_addr;
            entryFor(BaseName(p->ifa_name)).addresses.push_back(row);
        }
    }
    ::freeifaddrs(list);
    return snapshot;
}

}  // namespace pm
