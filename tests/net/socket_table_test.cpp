#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "net/GroupReport.h"
#include "net/SocketTable.h"
#include "support/FakeSocketOps.h"
#include "support/FakeUi.h"
#include "support/VirtualLoop.h"

namespace pm {
namespace {

using test::FakeDatagram;

uint32_t Host(const char* dotted) {
    in_addr a{};
    inet_pton(AF_INET, dotted, &a);
    return ntohl(a.s_addr);
}
uint32_t Net(const char* dotted) {
    return htonl(Host(dotted));
}

constexpr std::array<uint8_t, 6> kMacA{0x02, 0xAA, 0, 0, 0, 1};
constexpr std::array<uint8_t, 6> kMacB{0x02, 0xBB, 0, 0, 0, 2};

class SocketTableTest : public ::testing::Test {
  protected:
    SocketTableTest() {
        settings.base_port = 4000;
        settings.DerivePorts();
        std::strcpy(settings.multicast_group, "239.1.2.3");
    }
    void AddInterface(const char* name, uint32_t index, std::array<uint8_t, 6> mac,
                      std::initializer_list<std::pair<const char*, const char*>> addresses) {
        table.AddInterface(name, index, mac);
        for (auto [a, m] : addresses)
            table.OpenBinding(table.InterfaceCount() - 1, Net(a), Net(m));
    }
    std::vector<uint8_t> Packet(size_t n = 40) { return std::vector<uint8_t>(n, 0); }

    test::FakeUi ui;
    test::VirtualLoop loop;
    Settings settings;
    test::FakeSocketOps ops;
    SocketTable table{ui, loop, settings, ops};
};

TEST_F(SocketTableTest, FirstBindingTakesTheFirstSlotAndTheDerivedPorts) {
    AddInterface("eth0", 7, kMacA, {{"10.0.0.2", "255.255.255.0"}});
    const AddressBinding& b = table.Binding(0, 0);
    EXPECT_EQ(b.broadcastEvent, 33273);
    EXPECT_EQ(b.multicastEvent, 33274);
    EXPECT_EQ(b.unicastEvent, 33275);
    EXPECT_EQ(b.tftpEvent, 33276);

    const uint32_t local = Host("10.0.0.2");
    EXPECT_EQ(b.broadcastSocket, ops.BoundTo(4000, local));
    EXPECT_EQ(b.unicastSocket, ops.BoundTo(4001, local));
    EXPECT_EQ(b.multicastSocket, ops.BoundTo(4006, local));
    EXPECT_EQ(b.tftpSocket, ops.BoundTo(64517, local));
    EXPECT_TRUE(ops.sockets[b.broadcastSocket].broadcast);
    EXPECT_TRUE(ops.sockets[b.tftpSocket].broadcast);
    EXPECT_FALSE(ops.sockets[b.unicastSocket].broadcast);
    for (int fd : {b.broadcastSocket, b.unicastSocket, b.multicastSocket, b.tftpSocket})
        EXPECT_TRUE(ops.sockets[fd].reuse);
    EXPECT_EQ(ops.sockets[b.multicastSocket].groups, std::vector<uint32_t>{Host("239.1.2.3")});

    // Read events: the three device sockets at once; TFTP only once a form attaches.
    EXPECT_TRUE(loop.watches.count(b.broadcastSocket));
    EXPECT_TRUE(loop.watches.count(b.unicastSocket));
    EXPECT_TRUE(loop.watches.count(b.multicastSocket));
    EXPECT_FALSE(loop.watches.count(b.tftpSocket));
    EXPECT_EQ(table.SocketForMessage(33275), b.unicastSocket);
    EXPECT_EQ(table.SocketForMessage(33276), b.tftpSocket);

    // The interface's broadcast and group receivers: 0.0.0.0, tied to the interface.
    const auto& in = table.Interface(0);
    const uint16_t ports[] = {4000, 4001, 4006};
    for (size_t i = 0; i < 3; ++i) {
        const auto& s = ops.sockets[in.receivers[i]];
        EXPECT_EQ(s.boundAddress, 0u);
        EXPECT_EQ(s.boundPort, ports[i]);
        EXPECT_EQ(s.device, 7u);
        EXPECT_EQ(s.groups, std::vector<uint32_t>{Host("239.1.2.3")});
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SocketTableTest, TwentyFourSlotsThenAMessageAndAFreedSlotIsTakenFirst) {
    table.AddInterface("eth0", 2, kMacA);
    for (int i = 0; i < 25; ++i)
        table.OpenBinding(0, htonl(Host("10.0.0.1") + static_cast<uint32_t>(i)), Net("255.0.0.0"));
    EXPECT_EQ(table.Binding(0, 23).broadcastEvent, 33365);
    EXPECT_EQ(table.Binding(0, 23).tftpEvent, 33368);
    ASSERT_EQ(ui.Texts(), std::vector<std::string>{"Please define enough Event ID."});
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(table.Binding(0, 24).slot, -1);
    EXPECT_EQ(table.Binding(0, 24).unicastSocket, -1);
    EXPECT_EQ(table.SocketForMessage(33368), table.Binding(0, 23).tftpSocket);

    // Close the sixth binding: its identifiers find nothing any more and its slot is next.
    const int closedUnicast = table.Binding(0, 5).unicastEvent;
    const int closedFd = table.Binding(0, 5).unicastSocket;
    for (size_t i = 0; i < table.BindingCount(0); ++i)
        table.SetBindingSeen(0, i, i != 5);
    table.CloseStaleBindings(0);
    EXPECT_FALSE(ops.sockets[closedFd].open);
    EXPECT_FALSE(loop.watches.count(closedFd));
    EXPECT_EQ(table.SocketForMessage(closedUnicast), -1);
    uint8_t buffer[64];
    uint32_t from = 0;
    uint16_t port = 0;
    EXPECT_EQ(table.ReceiveFromEvent(closedUnicast, buffer, sizeof buffer, from, port), -1);

    table.OpenBinding(0, Net("10.9.9.9"), Net("255.0.0.0"));
    EXPECT_EQ(table.Binding(0, table.BindingCount(0) - 1).unicastEvent, closedUnicast);
}

struct SocketFailure {
    std::vector<int> bindFailPorts;
    int openError;
    std::vector<std::string> messages;
};

TEST_F(SocketTableTest, EachSocketReportsItsOwnFailureAndTheBindingStays) {
    // Each with the system's reason (the fake binds fail with EADDRINUSE).
    const SocketFailure cases[] = {
        {{4001}, 0, {"Bind socket error\n10.0.0.2:4001: Address already in use"}},
        {{64517}, 0, {"Bind tftps socket error\n10.0.0.2:64517: Address already in use"}},
        {{4000}, 0, {"Bind socket error\n10.0.0.2:4000: Address already in use"}},
        {{4006}, 0, {"Bind  socket error\n10.0.0.2:4006: Address already in use"}},
        {{},
         EMFILE,
         {"Create socket error.\nToo many open files",
          "Create tftp socket error.\nToo many open files",
          "Create socket error.\nToo many open files", "Creat Socket error\nToo many open files"}},
    };
    for (const auto& c : cases) {
        test::FakeUi u;
        test::FakeSocketOps o;
        o.bindFailPorts = c.bindFailPorts;
        o.openUdpError = c.openError;
        SocketTable t(u, loop, settings, o);
        t.AddInterface("eth0", 2, kMacA);
        t.OpenBinding(0, Net("10.0.0.2"), Net("255.0.0.0"));
        EXPECT_EQ(u.Texts(), c.messages);
        for (const auto& m : u.messages)
            EXPECT_EQ(m.caption, "Error");
        EXPECT_EQ(t.BindingCount(0), 1u);
    }
}

TEST_F(SocketTableTest, ASocketThatFailedToOpenIsPassedOverByEverySend) {
    // eth0's first address gets none of its four ports; its second and eth1's get all.
    table.AddInterface("eth0", 2, kMacA);
    ops.bindFailPorts = {4000, 4001, 4006, 64517};
    table.OpenBinding(0, Net("10.0.0.2"), Net("255.0.0.0"));
    ops.bindFailPorts.clear();
    table.OpenBinding(0, Net("10.0.0.3"), Net("255.0.0.0"));
    AddInterface("eth1", 3, kMacB, {{"172.16.0.2", "255.255.0.0"}});
    EXPECT_EQ(ui.messages.size(), 4u);  // told once each, when the bind failed
    const AddressBinding& good = table.Binding(0, 1);
    const AddressBinding& other = table.Binding(1, 0);
    auto packet = Packet();

    struct Case {
        const char* name;
        std::function<int()> send;
        std::vector<std::pair<int, uint32_t>> copies;  // socket, source address
    };
    const Case cases[] = {
        {"broadcast",
         [&] { return table.SendBroadcast(packet.data(), packet.size()); },
         {{good.broadcastSocket, Host("10.0.0.3")}, {other.broadcastSocket, Host("172.16.0.2")}}},
        {"multicast",
         [&] { return table.SendMulticast(packet.data(), packet.size()); },
         {{good.multicastSocket, Host("10.0.0.3")}, {other.multicastSocket, Host("172.16.0.2")}}},
        {"to a device on the subnet",
         [&] { return table.SendToDevice(Host("10.9.9.9"), packet.data(), packet.size()); },
         {{good.unicastSocket, Host("10.0.0.3")}}},
        {"to a device on no local subnet",
         [&] { return table.SendToDevice(Host("192.168.5.5"), packet.data(), packet.size()); },
         {{good.unicastSocket, Host("10.0.0.3")}, {other.unicastSocket, Host("172.16.0.2")}}},
        {"tftp",
         [&] {
             return table.SendTftp(Host("192.168.5.5"), Host("255.255.255.0"), packet.data(),
                                   packet.size(), 69);
         },
         {{good.tftpSocket, Host("10.0.0.3")}, {other.tftpSocket, Host("172.16.0.2")}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ops.sends.clear();
        EXPECT_EQ(c.send(), 0);
        std::vector<std::pair<int, uint32_t>> copies;
        for (const auto& s : ops.sends)
            copies.emplace_back(s.fd, s.source);
        EXPECT_EQ(copies, c.copies);
    }
    EXPECT_EQ(ui.messages.size(), 4u);
}

TEST_F(SocketTableTest, AFailedJoinLeavesTheMulticastSocketOpenButSilent) {
    ops.joinError = ENODEV;
    AddInterface("eth0", 2, kMacA, {{"10.0.0.2", "255.0.0.0"}});
    const int fd = table.Binding(0, 0).multicastSocket;
    EXPECT_TRUE(ops.sockets[fd].open);
    EXPECT_FALSE(loop.watches.count(fd));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SocketTableTest, BroadcastAndMulticastSendOneCopyPerInterfaceWithItsMac) {
    AddInterface("eth0", 2, kMacA, {{"192.168.1.2", "255.255.255.0"}, {"10.1.1.2", "255.255.0.0"}});
    AddInterface("eth1", 3, kMacB, {{"172.16.0.2", "255.255.0.0"}});
    auto packet = Packet();

    ASSERT_EQ(table.SendBroadcast(packet.data(), packet.size()), 0);
    ASSERT_EQ(table.SendMulticast(packet.data(), packet.size()), 0);
    ASSERT_EQ(ops.sends.size(), 4u);
    const struct {
        int fd;
        uint32_t address;
        uint32_t ifindex;
        std::array<uint8_t, 6> mac;
    } expected[] = {
        {table.Binding(0, 0).broadcastSocket, 0xFFFFFFFF, 2, kMacA},
        {table.Binding(1, 0).broadcastSocket, 0xFFFFFFFF, 3, kMacB},
        {table.Binding(0, 0).multicastSocket, Host("239.1.2.3"), 2, kMacA},
        {table.Binding(1, 0).multicastSocket, Host("239.1.2.3"), 3, kMacB},
    };
    for (size_t i = 0; i < 4; ++i) {
        const auto& s = ops.sends[i];
        EXPECT_EQ(s.fd, expected[i].fd) << i;
        EXPECT_EQ(s.address, expected[i].address) << i;
        EXPECT_EQ(s.port, 4002) << i;
        EXPECT_EQ(s.ifindex, expected[i].ifindex) << i;
        EXPECT_TRUE(
            std::equal(expected[i].mac.begin(), expected[i].mac.end(), s.bytes.begin() + 20))
            << i;
    }
    EXPECT_EQ(ops.sockets[table.Binding(0, 0).multicastSocket].multicastIfAddress,
              Host("192.168.1.2"));
    // The caller's packet keeps the MAC of the last interface used.
    EXPECT_TRUE(std::equal(kMacB.begin(), kMacB.end(), packet.begin() + 20));
}

TEST_F(SocketTableTest, ToDeviceUsesTheBindingsOnItsSubnetElseEveryBinding) {
    AddInterface("eth0", 2, kMacA, {{"192.168.1.2", "255.255.255.0"}});
    AddInterface("eth1", 3, kMacB, {{"10.0.0.2", "255.0.0.0"}, {"10.0.0.3", "255.0.0.0"}});
    auto packet = Packet();

    ASSERT_EQ(table.SendToDevice(Host("192.168.1.50"), packet.data(), packet.size()), 0);
    ASSERT_EQ(ops.sends.size(), 1u);
    EXPECT_EQ(ops.sends[0].fd, table.Binding(0, 0).unicastSocket);
    EXPECT_EQ(ops.sends[0].address, Host("192.168.1.50"));
    EXPECT_EQ(ops.sends[0].port, 4002);

    ops.sends.clear();
    ASSERT_EQ(table.SendToDevice(Host("10.20.30.40"), packet.data(), packet.size()), 0);
    ASSERT_EQ(ops.sends.size(), 2u);  // reachable through two local addresses: two copies
    EXPECT_EQ(ops.sends[1].fd, table.Binding(1, 1).unicastSocket);

    ops.sends.clear();
    ASSERT_EQ(table.SendToDevice(Host("172.16.0.9"), packet.data(), packet.size()), 0);
    ASSERT_EQ(ops.sends.size(), 3u);
    EXPECT_EQ(ops.sends[0].ifindex, 2u);
    EXPECT_TRUE(std::equal(kMacA.begin(), kMacA.end(), ops.sends[0].bytes.begin() + 20));
    EXPECT_EQ(ops.sends[2].ifindex, 3u);
    EXPECT_TRUE(std::equal(kMacB.begin(), kMacB.end(), ops.sends[2].bytes.begin() + 20));
}

TEST_F(SocketTableTest, TftpAppliesTheLongerMaskAndLeavesThePacketAlone) {
    AddInterface("eth0", 2, kMacA, {{"192.168.1.2", "255.255.255.0"}});
    AddInterface("eth1", 3, kMacB, {{"10.0.0.2", "255.0.0.0"}});
    const auto packet = Packet(30);

    // The device's /25 is longer than the local /24: .200 is on another network, so every
    // binding sends.
    ASSERT_EQ(table.SendTftp(Host("192.168.1.200"), Host("255.255.255.128"), packet.data(),
                             packet.size(), 69),
              0);
    ASSERT_EQ(ops.sends.size(), 2u);
    EXPECT_EQ(ops.sends[0].fd, table.Binding(0, 0).tftpSocket);
    EXPECT_EQ(ops.sends[0].port, 69);
    EXPECT_EQ(ops.sends[0].bytes, packet);

    ops.sends.clear();
    ASSERT_EQ(
        table.SendTftp(Host("192.168.1.20"), Host("255.255.0.0"), packet.data(), packet.size(), 69),
        0);
    ASSERT_EQ(ops.sends.size(), 1u);
    EXPECT_EQ(ops.sends[0].fd, table.Binding(0, 0).tftpSocket);
}

TEST_F(SocketTableTest, WouldBlockCountsAsSentAndOtherErrorsStopTheSend) {
    AddInterface("eth0", 2, kMacA, {{"10.0.0.2", "255.0.0.0"}});
    AddInterface("eth1", 3, kMacB, {{"10.1.0.2", "255.255.0.0"}});
    auto packet = Packet();

    ops.sendErrors = {EAGAIN, 0};
    EXPECT_EQ(table.SendBroadcast(packet.data(), packet.size()), 0);
    EXPECT_EQ(ops.sends.size(), 1u);

    ops.sends.clear();
    ops.sendErrors = {ENETUNREACH};
    EXPECT_EQ(table.SendMulticast(packet.data(), packet.size()), -1);
    EXPECT_EQ(table.LastError(), ENETUNREACH);
    EXPECT_TRUE(ops.sends.empty());  // no later copy after a failure

    ops.sendErrors = {0, EPERM};
    EXPECT_EQ(table.SendToDevice(Host("192.168.7.7"), packet.data(), packet.size()), -1);
    EXPECT_EQ(table.LastError(), EPERM);
    EXPECT_EQ(ops.sends.size(), 1u);
}

TEST_F(SocketTableTest, APacketTooShortForTheSenderMacIsSentUntouched) {
    AddInterface("eth0", 2, kMacA, {{"10.0.0.2", "255.0.0.0"}});
    std::vector<uint8_t> tiny(22, 0x55);
    ASSERT_EQ(table.SendBroadcast(tiny.data(), tiny.size()), 0);
    EXPECT_EQ(ops.sends.at(0).bytes, std::vector<uint8_t>(22, 0x55));
}

TEST(GroupReport, BytesAndChecksum) {
    EXPECT_EQ(BuildGroupReport("239.1.2.3"),
              (std::array<uint8_t, 8>{0x12, 0, 0xFC, 0xFA, 0xEF, 1, 2, 3}));
    const auto r = BuildGroupReport("239.255.77.77");
    EXPECT_EQ(InternetChecksum(r.data(), r.size()), 0);  // a correct checksum sums to zero
}

TEST_F(SocketTableTest, GroupReportGoesFromARawSocketPerInterfaceAndIgnoresEperm) {
    AddInterface("eth0", 2, kMacA, {{"10.0.0.2", "255.0.0.0"}, {"10.0.0.3", "255.0.0.0"}});
    AddInterface("eth1", 3, kMacB, {{"10.1.0.2", "255.255.0.0"}});
    const auto report = BuildGroupReport("239.1.2.3");

    ops.openRawError = EPERM;
    EXPECT_EQ(table.SendGroupReport(report.data(), report.size()), 0);
    EXPECT_TRUE(ops.sends.empty());
    EXPECT_TRUE(ui.messages.empty());

    ops.openRawError = 0;
    EXPECT_EQ(table.SendGroupReport(report.data(), report.size()), 0);
    ASSERT_EQ(ops.sends.size(), 2u);
    const auto& raw = ops.sockets[ops.sends[0].fd];
    EXPECT_TRUE(raw.raw);
    EXPECT_EQ(raw.boundAddress, Host("10.0.0.2"));
    EXPECT_EQ(raw.boundPort, 4007);
    EXPECT_FALSE(raw.open);  // short-lived
    EXPECT_EQ(ops.sends[0].address, Host("239.1.2.3"));
    EXPECT_EQ(ops.sends[1].ifindex, 3u);
}

TEST_F(SocketTableTest, ReceiverDatagramsReportUnderTheFirstBindingsBroadcastIdentifier) {
    AddInterface("eth0", 2, kMacA, {{"10.0.0.2", "255.0.0.0"}, {"10.0.0.3", "255.0.0.0"}});
    std::vector<int> events;
    std::vector<uint8_t> got;
    uint32_t from = 0;
    uint16_t port = 0;
    table.SetNotifyHandler([&](int id) {
        events.push_back(id);
        uint8_t buffer[8];
        const int n = table.ReceiveFromEvent(id, buffer, sizeof buffer, from, port);
        if (n >= 0)
            got.assign(buffer, buffer + n);
    });

    const int receiver = table.Interface(0).receivers[0];
    ops.inbox[receiver].push_back({std::vector<uint8_t>(12, 7), Host("10.0.0.50"), 4002});
    loop.watches.at(receiver)();
    EXPECT_EQ(events, std::vector<int>{33273});
    EXPECT_EQ(got, std::vector<uint8_t>(8, 7));  // cut to the capacity
    EXPECT_EQ(from, Host("10.0.0.50"));

    // The binding's own socket reports under its own identifier.
    const int unicast = table.Binding(0, 1).unicastSocket;
    ops.inbox[unicast].push_back({{1, 2, 3}, Host("10.0.0.51"), 4002});
    loop.watches.at(unicast)();
    EXPECT_EQ(events.back(), 33279);
    EXPECT_EQ(got, (std::vector<uint8_t>{1, 2, 3}));

    // Closing the first binding hands the receivers to the next one.
    table.SetBindingSeen(0, 1, true);
    table.CloseStaleBindings(0);
    ops.inbox[receiver].push_back({{9}, Host("10.0.0.52"), 4002});
    loop.watches.at(receiver)();
    EXPECT_EQ(events.back(), 33277);
    EXPECT_EQ(got, std::vector<uint8_t>{9});
}

TEST_F(SocketTableTest, WithoutAHandlerAWaitingDatagramIsReadAndDropped) {
    AddInterface("eth0", 2, kMacA, {{"10.0.0.2", "255.0.0.0"}});
    const int fd = table.Binding(0, 0).broadcastSocket;
    ops.inbox[fd].push_back({{1}, 1, 1});
    loop.watches.at(fd)();
    EXPECT_TRUE(ops.inbox[fd].empty());
}

TEST_F(SocketTableTest, AttachTftpWindowRoutesTftpEventsAndPassesOverAFailedSocket) {
    AddInterface("eth0", 2, kMacA, {{"10.0.0.2", "255.0.0.0"}, {"10.0.0.3", "255.0.0.0"}});
    std::vector<int> events;
    EXPECT_TRUE(table.AttachTftpWindow([&](int id) { events.push_back(id); }));
    loop.watches.at(table.Binding(0, 1).tftpSocket)();
    EXPECT_EQ(events, std::vector<int>{33280});

    // A TFTP socket that failed to bind was told then; the bindings after it still attach.
    ops.bindFailPorts = {64517};
    table.OpenBinding(0, Net("10.0.0.4"), Net("255.0.0.0"));
    ops.bindFailPorts.clear();
    table.OpenBinding(0, Net("10.0.0.5"), Net("255.0.0.0"));
    ui.Clear();
    EXPECT_TRUE(table.AttachTftpWindow([&](int id) { events.push_back(id); }));
    EXPECT_TRUE(ui.messages.empty());
    loop.watches.at(table.Binding(0, 3).tftpSocket)();
    EXPECT_EQ(events, (std::vector<int>{33280, 33288}));
}

TEST_F(SocketTableTest, CloseAllClosesEverySocket) {
    AddInterface("eth0", 2, kMacA, {{"10.0.0.2", "255.0.0.0"}});
    AddInterface("eth1", 3, kMacB, {{"10.1.0.2", "255.255.0.0"}});
    table.CloseAll();
    EXPECT_EQ(ops.OpenCount(), 0);
    EXPECT_TRUE(loop.watches.empty());
    EXPECT_EQ(table.FreeSlots(), 24u);
    auto packet = Packet();
    EXPECT_EQ(table.SendBroadcast(packet.data(), packet.size()), 0);
    EXPECT_TRUE(ops.sends.empty());
}

}  // namespace
}  // namespace pm
