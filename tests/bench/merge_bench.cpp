// One discovery reply through the receiver, merge and row update, with both lists full.
#include <benchmark/benchmark.h>

#include <vector>

#include "protocol/HandleDatagram.h"
#include "support/Devices.h"
#include "support/FakeInterfaceSource.h"
#include "support/FakeTransport.h"
#include "support/FakeUi.h"
#include "support/VirtualLoop.h"

namespace {

using namespace pm;
using test::Ip;
using test::Mac;

constexpr uint32_t kId = 0x0000ABCD;

struct FullLists {
    test::FakeUi ui;
    test::VirtualLoop loop;
    test::FakeTransport net;
    test::FakeInterfaceSource interfaces;
    Program p{ui, loop, net, interfaces};

    FullLists() {
        p.settings.header_id = kId;
        p.settings.multicast_interface_on_off = 1;
        test::MakeColumns(p);
        for (int i = 0; i < 256; ++i) {
            test::AddMonitored(p, test::MakeDevice(static_cast<uint8_t>(i),
                                                   Ip(10, 1, 0, static_cast<uint8_t>(i)), 1));
            test::AddDiscovered(p, test::MakeDevice(static_cast<uint8_t>(i),
                                                    Ip(10, 2, 0, static_cast<uint8_t>(i)), 2));
        }
    }
};

std::vector<uint8_t> FullReply(std::array<uint8_t, 6> mac, uint32_t ip, int n) {
    test::Reply r(kId, mac);
    r.Text(FieldType::ProductName, "QR_GS108_V2")
        .Text(FieldType::SystemName, n % 2 ? "core" : "edge")
        .Text(FieldType::Location, "rack 4")
        .Address(FieldType::IpAddress, ip)
        .Address(FieldType::SubnetMask, Ip(255, 255, 0, 0))
        .Address(FieldType::Gateway, Ip(10, 2, 0, 254))
        .U16(FieldType::IpMode, static_cast<uint16_t>(n % 2))
        .U32(FieldType::GroupInterval, static_cast<uint32_t>(300 + n % 2));
    return r.Bytes();
}

// The last discovered device answers: every lookup runs the whole length of its table.
void BM_DiscoveryReplyLastOf256(benchmark::State& state) {
    FullLists f;
    const uint32_t ip = Ip(10, 2, 0, 255);
    const std::vector<uint8_t> replies[2] = {FullReply(Mac(255, 2), ip, 0),
                                             FullReply(Mac(255, 2), ip, 1)};
    int n = 0;
    for (auto _ : state) {
        const auto& r = replies[n++ & 1];
        HandleDatagram(ReceiverOf(f.p), r.data(), r.size(), ip);
    }
    if (f.p.lists.discoveryList.GetItemCount() != 256)
        state.SkipWithError("lists changed");
}
BENCHMARK(BM_DiscoveryReplyLastOf256);

// The last monitored device answers: its row is replaced and every row renumbered.
void BM_MonitorReplyLastOf256(benchmark::State& state) {
    FullLists f;
    const uint32_t ip = Ip(10, 1, 0, 255);
    const std::vector<uint8_t> replies[2] = {FullReply(Mac(255, 1), ip, 0),
                                             FullReply(Mac(255, 1), ip, 1)};
    int n = 0;
    for (auto _ : state) {
        const auto& r = replies[n++ & 1];
        HandleDatagram(ReceiverOf(f.p), r.data(), r.size(), ip);
    }
    if (f.p.lists.monitorList.GetItemCount() != 256)
        state.SkipWithError("lists changed");
}
BENCHMARK(BM_MonitorReplyLastOf256);

}  // namespace

BENCHMARK_MAIN();
