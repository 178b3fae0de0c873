#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>

#include "net/InterfaceMonitor.h"
#include "support/FakeInterfaceSource.h"
#include "support/FakeSocketOps.h"
#include "support/FakeUi.h"
#include "support/VirtualLoop.h"

namespace pm {
namespace {

uint32_t Net(const char* dotted) {
    in_addr a{};
    inet_pton(AF_INET, dotted, &a);
    return a.s_addr;
}

AdapterEntry Adapter(const char* name, uint32_t index,
                     std::initializer_list<std::pair<const char*, const char*>> addresses) {
    AdapterEntry e;
    e.name = name;
    e.index = index;
    e.mac = {0x02, 0, 0, 0, 0, static_cast<uint8_t>(index)};
    for (auto [a, m] : addresses)
        e.addresses.push_back({Net(a), Net(m), false});
    return e;
}

class InterfaceMonitorTest : public ::testing::Test {
  protected:
    InterfaceMonitorTest() {
        settings.base_port = 4000;
        settings.DerivePorts();
        std::strcpy(settings.multicast_group, "239.1.2.3");
    }
    std::vector<uint32_t> Addresses(size_t i) const {
        std::vector<uint32_t> out;
        for (const auto& b : table.Interface(i).bindings)
            out.push_back(b.address);
        return out;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (size_t i = 0; i < table.InterfaceCount(); ++i)
            out.push_back(table.Interface(i).name);
        return out;
    }

    test::FakeUi ui;
    test::VirtualLoop loop;
    Settings settings;
    test::FakeSocketOps ops;
    SocketTable table{ui, loop, settings, ops};
    test::FakeInterfaceSource source;
    InterfaceMonitor monitor{loop, source, table};
};

TEST_F(InterfaceMonitorTest, FirstPassAtOnceThenEveryFiveSeconds) {
    source.adapters = {
        Adapter("eth0", 2, {{"192.168.1.2", "255.255.255.0"}, {"10.1.1.2", "255.255.0.0"}})};
    monitor.Start();
    EXPECT_EQ(source.reads, 1);
    ASSERT_EQ(table.InterfaceCount(), 1u);
    EXPECT_EQ(Addresses(0), (std::vector<uint32_t>{Net("192.168.1.2"), Net("10.1.1.2")}));

    loop.Advance(4999);
    EXPECT_EQ(source.reads, 1);
    loop.Advance(1);
    EXPECT_EQ(source.reads, 2);
    loop.Advance(10000);
    EXPECT_EQ(source.reads, 4);
    EXPECT_EQ(table.BindingCount(0), 2u);  // nothing changed, nothing reopened
    monitor.Stop();
    EXPECT_FALSE(loop.TimerRunning(monitor.Timer()));
}

TEST_F(InterfaceMonitorTest, AMaskChangeIsTakenOverWithoutReopeningSockets) {
    source.adapters = {
        Adapter("eth0", 2, {{"192.168.1.2", "255.255.255.0"}, {"10.1.1.2", "255.255.0.0"}})};
    monitor.Pass();
    const int created = ops.created;
    const int unicast = table.Binding(0, 1).unicastSocket;

    source.adapters[0].addresses[1].mask = Net("255.255.255.0");
    monitor.Pass();
    EXPECT_EQ(table.Binding(0, 1).mask, Net("255.255.255.0"));
    EXPECT_EQ(table.Binding(0, 1).unicastSocket, unicast);
    EXPECT_EQ(ops.created, created);
}

TEST_F(InterfaceMonitorTest, AReplacedAddressClosesItsBindingAndTheNewOneTakesTheLowestFreeSlot) {
    source.adapters = {
        Adapter("eth0", 2, {{"192.168.1.2", "255.255.255.0"}, {"10.1.1.2", "255.255.0.0"}}),
        Adapter("eth1", 3, {{"172.16.0.2", "255.255.0.0"}})};
    monitor.Pass();
    const int oldSocket = table.Binding(0, 1).unicastSocket;
    EXPECT_EQ(table.Binding(1, 0).slot, 2);

    source.adapters[0].addresses[1].address = Net("10.1.1.3");
    monitor.Pass();
    EXPECT_FALSE(ops.sockets[oldSocket].open);
    EXPECT_EQ(Addresses(0), (std::vector<uint32_t>{Net("192.168.1.2"), Net("10.1.1.3")}));
    EXPECT_EQ(table.Binding(0, 1).slot, 1);
    EXPECT_EQ(table.Binding(0, 1).unicastEvent, 33279);
}

TEST_F(InterfaceMonitorTest, AGoneAdapterIsRemovedAndComesBackAtTheEnd) {
    source.adapters = {
        Adapter("eth0", 2, {{"192.168.1.2", "255.255.255.0"}, {"10.1.1.2", "255.255.0.0"}}),
        Adapter("eth1", 3, {{"172.16.0.2", "255.255.0.0"}})};
    monitor.Pass();
    const auto eth0 = source.adapters[0];

    source.adapters.erase(source.adapters.begin());
    monitor.Pass();
    EXPECT_EQ(Names(), std::vector<std::string>{"eth1"});
    EXPECT_EQ(table.FreeSlots(), 23u);

    source.adapters.insert(source.adapters.begin(), eth0);
    monitor.Pass();
    EXPECT_EQ(Names(), (std::vector<std::string>{"eth1", "eth0"}));
    EXPECT_EQ(table.Binding(1, 0).slot, 0);  // lowest free slots again
}

TEST_F(InterfaceMonitorTest, AnAdapterWithoutAddressesIsNeverHeld) {
    source.adapters = {Adapter("eth0", 2, {})};
    monitor.Pass();
    EXPECT_EQ(table.InterfaceCount(), 0u);

    source.adapters = {Adapter("eth0", 2, {{"10.0.0.2", "255.0.0.0"}})};
    monitor.Pass();
    EXPECT_EQ(table.InterfaceCount(), 1u);

    source.adapters = {Adapter("eth0", 2, {})};  // lease lost
    monitor.Pass();
    EXPECT_EQ(table.InterfaceCount(), 0u);
    EXPECT_EQ(ops.OpenCount(), 0);
}

TEST_F(InterfaceMonitorTest, TheTwentyFifthAddressIsToldOnceAndGetsTheFirstSlotThatFrees) {
    AdapterEntry many = Adapter("eth0", 2, {});
    for (int i = 0; i < 25; ++i)
        many.addresses.push_back(
            {htonl(0x0A000001u + static_cast<uint32_t>(i)), Net("255.0.0.0"), false});
    source.adapters = {many};
    monitor.Pass();
    monitor.Pass();
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Please define enough Event ID."});
    EXPECT_EQ(table.Binding(0, 24).slot, -1);

    source.adapters[0].addresses.erase(source.adapters[0].addresses.begin() + 3);
    monitor.Pass();
    ASSERT_EQ(table.BindingCount(0), 24u);
    EXPECT_EQ(table.Binding(0, 23).address, htonl(0x0A000019u));
    EXPECT_EQ(table.Binding(0, 23).slot, 3);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(InterfaceMonitorTest, AnAddressWithoutASlotIsToldOnceEvenWhenAnotherAdapterFreesOne) {
    AdapterEntry full = Adapter("eth0", 2, {});
    for (int i = 0; i < 24; ++i)
        full.addresses.push_back(
            {htonl(0x0A000001u + static_cast<uint32_t>(i)), Net("255.0.0.0"), false});
    source.adapters = {
        full, Adapter("eth1", 3, {{"172.16.0.2", "255.255.0.0"}, {"172.16.0.3", "255.255.0.0"}})};
    monitor.Pass();
    EXPECT_EQ(ui.messages.size(), 2u);  // one for each address left without a slot

    // One slot frees: the first of eth1's two takes it, the second is not told again.
    source.adapters[0].addresses.pop_back();
    for (int pass = 0; pass < 3; ++pass)
        monitor.Pass();
    EXPECT_TRUE(table.Binding(1, 0).slot >= 0 || table.Binding(1, 1).slot >= 0);
    EXPECT_EQ(ui.messages.size(), 2u);
}

}  // namespace
}  // namespace pm
