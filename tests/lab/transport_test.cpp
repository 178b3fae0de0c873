// The transport over real sockets, against simulated switches, in network namespaces.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <set>

#include "app/PollLoop.h"
#include "base/Bytes.h"
#include "base/WireConstants.h"
#include "lab/support/Lab.h"
#include "net/GroupReport.h"
#include "net/InterfaceMonitor.h"
#include "net/LinuxInterfaceSource.h"
#include "net/SocketTable.h"
#include "support/FakeUi.h"

namespace pm {
namespace {

constexpr uint16_t kBasePort = 4000;
constexpr char kGroup[] = "239.1.2.3";
constexpr uint32_t kHeaderId = 0x50564D55;

uint32_t Ip(const char* dotted) {
    return *sim::ParseIp(dotted);
}

struct LabSwitch {
    int segment;
    const char* cidr;
    const char* ip;
    std::array<uint8_t, 6> mac;
};
// Two on m0's two subnets, one on m1's, one at a factory address outside every local subnet.
const LabSwitch kSwitches[] = {
    {0, "10.201.1.10/24", "10.201.1.10", {2, 0x50, 0x4D, 0, 0, 1}},
    {0, "10.201.2.20/24", "10.201.2.20", {2, 0x50, 0x4D, 0, 0, 2}},
    {1, "10.202.1.30/24", "10.202.1.30", {2, 0x50, 0x4D, 0, 0, 3}},
    {1, "10.99.0.5/24", "10.99.0.5", {2, 0x50, 0x4D, 0, 0, 4}},
};
constexpr size_t kCount = std::size(kSwitches);

struct Heard {
    int eventId;
    uint32_t from;
    std::array<uint8_t, 6> mac;
    uint16_t command;
};

class TransportLab : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!lab::CanBuildLabs())
            return;
        lab_ = new lab::Lab();
        for (const auto& s : kSwitches)
            names_.push_back(lab_->AddSwitch(s.segment, s.cidr));
        if (!lab_->Ok())
            return;
        sim::SimOptions options;
        options.basePort = kBasePort;
        options.group = kGroup;
        for (size_t i = 0; i < kCount; ++i) {
            sim::SwitchConfig c;
            c.ip = Ip(kSwitches[i].ip);
            c.mask = 0xFFFFFF00;
            c.mac = kSwitches[i].mac;
            c.iface = "eth0";
            sims_.push_back(new lab::SimThread(names_[i], options, {c}));
        }
        inManager_ = new lab::EnterNamespace(lab_->Manager());
    }
    static void TearDownTestSuite() {
        delete inManager_;  // back to where the test process started
        for (auto* s : sims_)
            delete s;
        sims_.clear();
        delete lab_;
        lab_ = nullptr;
        names_.clear();
    }

    void SetUp() override {
        if (!lab::CanBuildLabs())
            GTEST_SKIP() << "lab tests need root and the ip tool";
        ASSERT_TRUE(lab_ && lab_->Ok());
        for (auto* s : sims_)
            ASSERT_EQ(s->Error(), "");
        ASSERT_TRUE(inManager_->Ok());
        // Never open the utility's sockets anywhere but in the lab's manager namespace.
        ASSERT_TRUE(sim::InNamedNetworkNamespace());
        for (size_t i = 0; i < kCount; ++i)
            Sim(i).Update(0, [](sim::SwitchConfig& c) { c.reply = sim::ReplyMode::Unicast; });
        for (auto* s : sims_)
            s->Sim().ClearRequests();

        settings_.header_id = kHeaderId;
        settings_.base_port = kBasePort;
        settings_.DerivePorts();
        std::strcpy(settings_.multicast_group, kGroup);
        table_ = std::make_unique<SocketTable>(ui_, loop_, settings_, ops_);
        monitor_ = std::make_unique<InterfaceMonitor>(loop_, source_, *table_);
        table_->SetNotifyHandler([this](int id) {
            uint8_t buffer[kMaxDatagram];
            uint32_t from = 0;
            uint16_t port = 0;
            const int n = table_->ReceiveFromEvent(id, buffer, sizeof buffer, from, port);
            if (n < static_cast<int>(kHeaderSize))
                return;
            Heard h{id, from, {}, 0};
            std::memcpy(h.mac.data(), buffer + 4, 6);
            h.command = static_cast<uint16_t>(buffer[12] << 8 | buffer[13]);
            heard_.push_back(h);
        });
        monitor_->Pass();
    }
    void TearDown() override {
        monitor_.reset();
        table_.reset();
    }

    static sim::SwitchSim& Sim(size_t i) { return sims_[i]->Sim(); }

    std::vector<uint8_t> Request(uint16_t command) {
        std::vector<uint8_t> p(kHeaderSize);
        ByteWriter(p.data(), p.size())
            .U16be(2)
            .U16be(0)
            .Zeros(6)
            .U16be(0)
            .U16be(command)
            .U16be(0)
            .U32be(kHeaderId);
        return p;
    }
    // Runs the loop until n replies are in (at most 3 s), then a little longer to catch
    // any duplicate.
    void Collect(size_t n) {
        loop_.RunUntil([&] { return heard_.size() >= n; }, 3000);
        loop_.Run(250);
    }
    std::map<uint32_t, int> RepliesByAddress() const {
        std::map<uint32_t, int> out;
        for (const auto& h : heard_)
            ++out[h.from];
        return out;
    }
    const InterfaceEntry& Iface(const char* name) const {
        return table_->Interface(*table_->FindInterface(name));
    }

    static inline lab::Lab* lab_ = nullptr;
    static inline std::vector<std::string> names_;
    static inline std::vector<lab::SimThread*> sims_;
    static inline lab::EnterNamespace* inManager_ = nullptr;

    test::FakeUi ui_;
    PollLoop loop_;
    Settings settings_;
    PosixSocketOps ops_;
    LinuxInterfaceSource source_;
    std::unique_ptr<SocketTable> table_;
    std::unique_ptr<InterfaceMonitor> monitor_;
    std::vector<Heard> heard_;
};

TEST_F(TransportLab, DiscoveryHearsEverySwitchOnceWhicheverWayItAnswers) {
    ASSERT_EQ(table_->InterfaceCount(), 2u);
    const std::map<std::string, std::array<uint8_t, 6>> macOf{{"m0", Iface("m0").mac},
                                                              {"m1", Iface("m1").mac}};
    const struct {
        sim::ReplyMode mode;
        const char* name;
    } modes[] = {{sim::ReplyMode::Unicast, "unicast"},
                 {sim::ReplyMode::Broadcast, "broadcast"},
                 {sim::ReplyMode::SubnetBroadcast, "subnet broadcast"},
                 {sim::ReplyMode::Multicast, "multicast"}};
    for (const auto& m : modes) {
        for (size_t i = 0; i < kCount; ++i)
            Sim(i).Update(0, [&](sim::SwitchConfig& c) { c.reply = m.mode; });
        // A subnet broadcast of a subnet the manager has no address on is not for it.
        const size_t expected = m.mode == sim::ReplyMode::SubnetBroadcast ? kCount - 1 : kCount;
        for (bool multicast : {false, true}) {
            SCOPED_TRACE(std::string(m.name) + (multicast ? " reply to a multicast request"
                                                          : " reply to a broadcast request"));
            heard_.clear();
            for (auto* s : sims_)
                s->Sim().ClearRequests();
            auto packet = Request(1);
            ASSERT_EQ(multicast ? table_->SendMulticast(packet.data(), packet.size())
                                : table_->SendBroadcast(packet.data(), packet.size()),
                      0);
            Collect(expected);
            const auto replies = RepliesByAddress();
            for (size_t i = 0; i < expected; ++i)
                EXPECT_EQ(replies.count(Ip(kSwitches[i].ip)) ? replies.at(Ip(kSwitches[i].ip)) : 0,
                          1)
                    << kSwitches[i].ip;
            EXPECT_EQ(heard_.size(), expected);
            for (const auto& h : heard_)
                EXPECT_EQ(h.command, 2);

            // One request per switch, carrying the MAC of the interface it left by.
            for (size_t i = 0; i < kCount; ++i) {
                const auto seen = Sim(i).Requests();
                ASSERT_EQ(seen.size(), 1u) << kSwitches[i].ip;
                EXPECT_EQ(seen[0].senderMac, macOf.at(kSwitches[i].segment == 0 ? "m0" : "m1"));
                EXPECT_EQ(seen[0].fromPort, multicast ? kBasePort + 6 : kBasePort);
            }
        }
    }
}

TEST_F(TransportLab, ToDevicePicksTheBindingOnTheDevicesSubnetElseSendsThroughEvery) {
    auto poll = Request(5);
    ASSERT_EQ(table_->SendToDevice(Ip("10.201.2.20"), poll.data(), poll.size()), 0);
    Collect(1);
    ASSERT_EQ(heard_.size(), 1u);
    EXPECT_EQ(heard_[0].from, Ip("10.201.2.20"));
    EXPECT_EQ(heard_[0].command, 6);
    const auto& second = Iface("m0").bindings.at(1);
    EXPECT_EQ(heard_[0].eventId, second.unicastEvent);
    auto seen = Sim(1).Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].from, Ip("10.201.2.2"));
    EXPECT_EQ(seen[0].fromPort, kBasePort + 1);
    EXPECT_EQ(seen[0].senderMac, Iface("m0").mac);
    EXPECT_TRUE(Sim(0).Requests().empty());

    // No local subnet holds the factory address: a copy leaves through every binding, and
    // the one on the switch's segment reaches it.
    heard_.clear();
    ASSERT_EQ(table_->SendToDevice(Ip("10.99.0.5"), poll.data(), poll.size()), 0);
    Collect(1);
    ASSERT_EQ(heard_.size(), 1u);
    EXPECT_EQ(heard_[0].from, Ip("10.99.0.5"));
    seen = Sim(3).Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].from, Ip("10.202.1.2"));
    EXPECT_EQ(seen[0].senderMac, Iface("m1").mac);
}

TEST_F(TransportLab, EachCopyLeavesFromItsOwnBindingsAddress) {
    // A second address on the subnet of the switch behind m1: requests to it go out of both.
    ASSERT_TRUE(lab_->ManagerIp("addr add 10.202.1.3/24 dev m1"));
    struct Undo {
        ~Undo() { lab_->ManagerIp("addr del 10.202.1.3/24 dev m1"); }
    } undo;
    monitor_->Pass();
    const auto& m1 = Iface("m1");
    ASSERT_EQ(m1.bindings.size(), 2u);

    auto poll = Request(5);
    ASSERT_EQ(table_->SendToDevice(Ip("10.202.1.30"), poll.data(), poll.size()), 0);
    Collect(2);
    std::multiset<uint32_t> sources;
    for (const auto& r : Sim(2).Requests())
        sources.insert(r.from);
    EXPECT_EQ(sources, (std::multiset<uint32_t>{Ip("10.202.1.2"), Ip("10.202.1.3")}));

    // The switch answers each TFTP copy to where it came from: one answer per binding.
    std::map<int, int> answersByEvent;
    ASSERT_TRUE(table_->AttachTftpWindow([&](int id) {
        uint8_t buffer[512];
        uint32_t from = 0;
        uint16_t port = 0;
        if (table_->ReceiveFromEvent(id, buffer, sizeof buffer, from, port) >= 4)
            ++answersByEvent[id];
    }));
    const uint8_t request[] = {0, 2, 'i', 'm', 'g', 0, 'o', 'c', 't', 'e', 't', 0};
    ASSERT_EQ(table_->SendTftp(Ip("10.202.1.30"), 0xFFFFFF00, request, sizeof request, 69), 0);
    auto answers = [&] {
        int n = 0;
        for (const auto& [id, count] : answersByEvent)
            n += count;
        return n;
    };
    loop_.RunUntil([&] { return answers() >= 2; }, 3000);
    loop_.Run(250);
    table_->AttachTftpWindow(nullptr);
    EXPECT_EQ(answersByEvent,
              (std::map<int, int>{{m1.bindings[0].tftpEvent, 1}, {m1.bindings[1].tftpEvent, 1}}));
}

TEST_F(TransportLab, MonitorFollowsAddressChangesAndReusesSlots) {
    ASSERT_TRUE(lab_->ManagerIp("addr add 10.203.1.2/24 dev m1"));
    monitor_->Pass();
    const auto& m1 = Iface("m1");
    ASSERT_EQ(m1.bindings.size(), 2u);
    const AddressBinding added = m1.bindings[1];
    EXPECT_EQ(added.slot, 3);
    EXPECT_EQ(added.unicastEvent, 33273 + 12 + 2);
    EXPECT_EQ(table_->SocketForMessage(added.unicastEvent), added.unicastSocket);

    ASSERT_TRUE(lab_->ManagerIp("addr del 10.203.1.2/24 dev m1"));
    ASSERT_TRUE(lab_->ManagerIp("addr add 10.203.1.2/16 dev m1"));
    monitor_->Pass();
    EXPECT_EQ(Iface("m1").bindings[1].mask, htonl(0xFFFF0000));
    EXPECT_EQ(Iface("m1").bindings[1].unicastSocket, added.unicastSocket);  // not reopened

    ASSERT_TRUE(lab_->ManagerIp("addr del 10.203.1.2/16 dev m1"));
    monitor_->Pass();
    EXPECT_EQ(Iface("m1").bindings.size(), 1u);
    EXPECT_EQ(table_->SocketForMessage(added.unicastEvent), -1);

    ASSERT_TRUE(lab_->ManagerIp("addr add 10.201.1.3/24 dev m1"));
    monitor_->Pass();
    ASSERT_EQ(Iface("m1").bindings.size(), 2u);
    EXPECT_EQ(Iface("m1").bindings[1].slot, 3);  // the freed slot, taken again

    // The new binding sends and hears: a poll to the switch on its subnet goes out of both
    // local addresses of that subnet (m0's and m1's), and the m0 copy is answered.
    auto poll = Request(5);
    ASSERT_EQ(table_->SendToDevice(Ip("10.201.1.10"), poll.data(), poll.size()), 0);
    Collect(1);
    EXPECT_GE(heard_.size(), 1u);
    ASSERT_TRUE(lab_->ManagerIp("addr del 10.201.1.3/24 dev m1"));
    monitor_->Pass();
    EXPECT_EQ(Iface("m1").bindings.size(), 1u);
}

TEST_F(TransportLab, TwentyFifthAddressIsToldAndTheFirstTwentyFourKeepWorking) {
    std::string batch;
    for (int k = 1; k <= 22; ++k)
        batch += "addr add 10.210." + std::to_string(k) + ".2/24 dev m1\n";
    ASSERT_TRUE(lab::Sh("printf '" + batch + "' | ip -n " + lab_->Manager() + " -batch -"));
    monitor_->Pass();
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"Please define enough Event ID."});
    EXPECT_EQ(table_->FreeSlots(), 0u);
    for (int id = 33273; id <= 33368; ++id)
        EXPECT_GE(table_->SocketForMessage(id), 0) << id;
    monitor_->Pass();
    EXPECT_EQ(ui_.messages.size(), 1u);  // told once, not on every pass

    auto packet = Request(1);
    ASSERT_EQ(table_->SendBroadcast(packet.data(), packet.size()), 0);
    Collect(kCount);
    EXPECT_EQ(heard_.size(), kCount);

    std::string undo;
    for (int k = 1; k <= 22; ++k)
        undo += "addr del 10.210." + std::to_string(k) + ".2/24 dev m1\n";
    ASSERT_TRUE(lab::Sh("printf '" + undo + "' | ip -n " + lab_->Manager() + " -batch -"));
    monitor_->Pass();
    EXPECT_EQ(table_->FreeSlots(), 21u);
}

// IGMP reports seen on the wire of a switch namespace within timeoutMs.
std::vector<std::vector<uint8_t>> CaptureIgmp(int fd, int timeoutMs) {
    std::vector<std::vector<uint8_t>> out;
    PollLoop clock;
    const uint64_t end = clock.NowMs() + static_cast<uint64_t>(timeoutMs);
    while (clock.NowMs() < end) {
        uint8_t buffer[1600];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0) {
            ::usleep(5000);
            continue;
        }
        ByteReader r(buffer, static_cast<size_t>(n));
        uint8_t versionIhl = 0;
        if (!r.U8(versionIhl))
            continue;
        const size_t ihl = (versionIhl & 0x0F) * 4u;
        if (static_cast<size_t>(n) < ihl + 8 || buffer[9] != 2)
            continue;  // IGMP only
        out.emplace_back(buffer, buffer + n);
    }
    return out;
}

TEST_F(TransportLab, GroupReportLeavesEachInterfaceAsAnIgmpV1Report) {
    const auto report = BuildGroupReport(kGroup);
    std::vector<std::vector<uint8_t>> onA, onB;
    std::atomic<int> ready{0};
    auto capture = [&](std::vector<std::vector<uint8_t>>& into) {
        const int fd = ::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP));
        if (fd < 0) {
            ++ready;
            return;
        }
        sockaddr_ll ll{};
        ll.sll_family = AF_PACKET;
        ll.sll_protocol = htons(ETH_P_IP);
        ll.sll_ifindex = static_cast<int>(::if_nametoindex("eth0"));
        ::bind(fd, reinterpret_cast<sockaddr*>(&ll), sizeof ll);
        ++ready;
        into = CaptureIgmp(fd, 1000);
        ::close(fd);
    };
    auto a = lab::StartInNamespace(names_[0], [&] { capture(onA); });
    auto b = lab::StartInNamespace(names_[2], [&] { capture(onB); });
    for (int i = 0; i < 200 && ready < 2; ++i)
        ::usleep(5000);
    EXPECT_EQ(table_->SendGroupReport(report.data(), report.size()), 0);
    a.join();
    b.join();

    const struct {
        const std::vector<std::vector<uint8_t>>& packets;
        const char* source;
    } wires[] = {{onA, "10.201.1.2"}, {onB, "10.202.1.2"}};
    for (const auto& w : wires) {
        std::vector<std::vector<uint8_t>> reports;
        for (const auto& p : w.packets) {
            const size_t ihl = (p[0] & 0x0F) * 4u;
            if (p[ihl] == 0x12)
                reports.push_back(p);
        }
        ASSERT_EQ(reports.size(), 1u) << w.source;
        const auto& p = reports[0];
        const size_t ihl = (p[0] & 0x0F) * 4u;
        ByteReader r(p.data() + 12, 8);
        uint32_t src = 0, dst = 0;
        r.U32be(src);
        r.U32be(dst);
        EXPECT_EQ(src, Ip(w.source));
        EXPECT_EQ(dst, Ip(kGroup));
        EXPECT_EQ(std::vector<uint8_t>(p.begin() + static_cast<long>(ihl),
                                       p.begin() + static_cast<long>(ihl) + 8),
                  std::vector<uint8_t>(report.begin(), report.end()));
        EXPECT_EQ(InternetChecksum(p.data() + ihl, 8), 0);
    }
}

}  // namespace
}  // namespace pm
