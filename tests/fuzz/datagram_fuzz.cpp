// Arbitrary bytes through the receiver into a program whose lists already hold devices.
#include <cstdint>
#include <memory>
#include <vector>

#include "inventory/DeviceTables.h"
#include "protocol/HandleDatagram.h"
#include "support/Devices.h"
#include "support/FakeInterfaceSource.h"
#include "support/FakeTransport.h"
#include "support/FakeUi.h"
#include "support/Replies.h"
#include "support/VirtualLoop.h"

namespace {

using namespace pm;
using test::Ip;
using test::Mac;
using test::Reply;

constexpr uint32_t kId = 0x0000ABCD;

struct Fixture {
    test::FakeUi ui;
    test::VirtualLoop loop;
    test::FakeTransport net;
    test::FakeInterfaceSource interfaces;
    Program p{ui, loop, net, interfaces};

    explicit Fixture(bool fullDiscovery) {
        p.settings.header_id = kId;
        p.settings.multicast_interface_on_off = 1;
        test::MakeColumns(p);
        for (uint8_t i = 1; i <= 3; ++i)
            test::AddMonitored(p, test::MakeDevice(i, Ip(10, 0, 0, i)));
        p.lists.monitor[2].status_mark = 1;
        p.lists.monitor[1].loader = kLoaderMarker;
        const int discovered = fullDiscovery ? 256 : 3;
        for (int i = 0; i < discovered; ++i)
            test::AddDiscovered(p, test::MakeDevice(static_cast<uint8_t>(i),
                                                    Ip(10, 0, 1, static_cast<uint8_t>(i)), 1));
        SetText(p.pending.mac_text, "001c2d3e0001");
        SetText(p.upgrade.targetMac, "001c2d3e0002");
    }
};

template <size_t N>
void CheckTerminated(const char (&field)[N]) {
    if (TextOf(field).size() >= N)
        __builtin_trap();
}

void CheckRecord(const DeviceRecord& r) {
    CheckTerminated(r.mac_text);
    CheckTerminated(r.product_name);
    CheckTerminated(r.system_name);
    CheckTerminated(r.location);
    CheckTerminated(r.group_interval_text);
    CheckTerminated(r.ip_text);
    CheckTerminated(r.mask_text);
    CheckTerminated(r.gateway_text);
    CheckTerminated(r.password);
}

std::vector<std::vector<uint8_t>> Seeds() {
    std::vector<std::vector<uint8_t>> seeds;
    Reply full(kId, Mac(9));
    full.Text(FieldType::ProductName, "QR_GS108_V2")
        .Text(FieldType::SystemName, "core")
        .Text(FieldType::Location, std::string(120, 'L'))
        .Address(FieldType::IpAddress, Ip(10, 0, 0, 9))
        .Address(FieldType::SubnetMask, Ip(255, 255, 255, 0))
        .Address(FieldType::Gateway, Ip(10, 0, 0, 1))
        .U16(FieldType::IpMode, 1)
        .Raw(21, 6, {1, 2})
        .U32(FieldType::GroupInterval, 300)
        .U32(FieldType::UpgradeWait1, 20)
        .U32(FieldType::UpgradeWait2, 200)
        .Raw(129, 20, std::vector<uint8_t>(16, 0xff));
    seeds.push_back(full.Bytes());

    Reply ack(kId, Mac(1), 4);
    ack.header.sequence = 1;
    ack.Address(FieldType::IpAddress, Ip(10, 0, 0, 1));
    seeds.push_back(ack.Bytes());

    Reply error(kId, Mac(3), 2);
    error.header.result = 255;
    error.Text(FieldType::DeviceText, std::string(60, 'E'));
    seeds.push_back(error.Bytes());

    Reply loader(kId, Mac(2), 12);
    loader.header.revision = 1;
    loader.Raw(10, 5, {2}).Text(FieldType::SystemName, "boot");
    seeds.push_back(loader.Bytes());

    Reply other(kId, Mac(4), 2);
    other.header.major = 1;
    seeds.push_back(other.Bytes());

    Reply trigger(kId, Mac(2), 11);
    trigger.header.sequence = 1;
    seeds.push_back(trigger.Bytes());
    return seeds;
}

}  // namespace

extern "C" size_t PortmesaFuzzSeed(size_t i, std::vector<uint8_t>& out) {
    static const auto seeds = Seeds();
    if (i >= seeds.size())
        return 0;
    out = seeds[i];
    return out.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Now and then start from a full discovery table.
    const bool full = size > 0 && data[size - 1] == 0xF0;
    Fixture f(full);
    const uint32_t sender = Ip(10, 0, 0, static_cast<uint8_t>(size % 5));
    HandleDatagram(ReceiverOf(f.p), data, size, sender);
    HandleDatagram(ReceiverOf(f.p), data, size, sender);  // the same reply again finds its entry
    if (f.p.lists.discoveryList.GetItemCount() > 256 || f.p.lists.monitorList.GetItemCount() > 256)
        __builtin_trap();
    for (const auto& r : f.p.lists.discovery)
        CheckRecord(r);
    for (const auto& r : f.p.lists.monitor)
        CheckRecord(r);
    CheckRecord(f.p.staging);
    return 0;
}
