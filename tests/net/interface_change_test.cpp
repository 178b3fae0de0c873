// The interface monitor told of changes by the platform: a pass at once, at most one per
// 100 ms in a burst, the 5 s passes kept.
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

// Word of changes, signalled by the test.
class FakeInterfaceEvents : public InterfaceEvents {
  public:
    int Open() override {
        ++opens;
        return fd;
    }
    bool Drain() override {
        const bool was = pending;
        pending = false;
        return was;
    }
    void Close() override { ++closes; }
    int fd = 77;
    bool pending = false;
    int opens = 0, closes = 0;
};

// Notes the loop's time of every pass.
class TimedSource : public test::FakeInterfaceSource {
  public:
    explicit TimedSource(const EventLoop& loop) : loop_(loop) {}
    AdapterSnapshot ReadAdapters() override {
        at.push_back(loop_.NowMs());
        return FakeInterfaceSource::ReadAdapters();
    }
    std::vector<uint64_t> at;

  private:
    const EventLoop& loop_;
};

class InterfaceChange : public ::testing::Test {
  protected:
    InterfaceChange() {
        settings.base_port = 4000;
        settings.DerivePorts();
        std::strcpy(settings.multicast_group, "239.1.2.3");
        source.adapters = {Eth0({"192.168.1.2"})};
        monitor.Follow(events);
        monitor.Start();
        start = loop.NowMs();
    }
    static AdapterEntry Eth0(std::initializer_list<const char*> addresses) {
        AdapterEntry e;
        e.name = "eth0";
        e.index = 2;
        for (const char* a : addresses)
            e.addresses.push_back({Net(a), Net("255.255.255.0"), false});
        return e;
    }
    // The kernel speaks: the socket turns readable and the loop calls its handler.
    void Signal(bool change = true) {
        events.pending = change;
        loop.watches.at(events.fd)();
    }
    std::vector<uint32_t> Bound() const {
        std::vector<uint32_t> out;
        for (size_t i = 0; i < table.InterfaceCount(); ++i)
            for (const auto& b : table.Interface(i).bindings)
                out.push_back(b.address);
        return out;
    }
    // Pass times from the start, the first pass left out.
    std::vector<uint64_t> LaterPasses() const {
        std::vector<uint64_t> out;
        for (size_t i = 1; i < source.at.size(); ++i)
            out.push_back(source.at[i] - start);
        return out;
    }

    test::FakeUi ui;
    test::VirtualLoop loop;
    Settings settings;
    test::FakeSocketOps ops;
    SocketTable table{ui, loop, settings, ops};
    TimedSource source{loop};
    FakeInterfaceEvents events;
    InterfaceMonitor monitor{loop, source, table};
    uint64_t start = 0;
};

TEST_F(InterfaceChange, AnAddressAddedOrRemovedIsTakenOverAtOnce) {
    EXPECT_EQ(events.opens, 1);
    ASSERT_EQ(Bound(), std::vector<uint32_t>{Net("192.168.1.2")});
    loop.Advance(200);

    source.adapters = {Eth0({"192.168.1.2", "10.1.1.2"})};
    Signal();
    EXPECT_EQ(Bound(), (std::vector<uint32_t>{Net("192.168.1.2"), Net("10.1.1.2")}));
    EXPECT_EQ(table.Binding(0, 1).slot, 1);  // the same rules as every pass

    loop.Advance(200);
    source.adapters = {Eth0({"10.1.1.2"})};
    Signal();
    EXPECT_EQ(Bound(), std::vector<uint32_t>{Net("10.1.1.2")});
    EXPECT_EQ(LaterPasses(), (std::vector<uint64_t>{200, 400}));

    // Word that tells of nothing runs no pass; the 5 s passes go on.
    Signal(false);
    loop.Advance(5000 - 400);
    EXPECT_EQ(LaterPasses(), (std::vector<uint64_t>{200, 400, 5000}));
}

TEST_F(InterfaceChange, ABurstRunsAtMostOnePassPerHundredMillisecondsAndMissesNothing) {
    // Word every 7 ms for 300 ms, beginning 30 ms after the first pass.
    loop.Advance(30);
    for (int i = 0; i < 43; ++i) {
        source.adapters = {Eth0({"192.168.1.2"})};
        source.adapters[0].addresses.push_back(
            {htonl(0x0A000001u + static_cast<uint32_t>(i)), Net("255.0.0.0"), false});
        Signal();
        loop.Advance(7);
    }
    loop.Advance(1000);
    EXPECT_EQ(LaterPasses(), (std::vector<uint64_t>{100, 200, 300, 400}));
    // The last pass saw the last address.
    EXPECT_EQ(Bound(), (std::vector<uint32_t>{Net("192.168.1.2"), htonl(0x0A000001u + 42)}));

    // Quiet again: the next word is answered at once.
    loop.Advance(500);
    source.adapters = {Eth0({})};
    Signal();
    EXPECT_EQ(LaterPasses().back(), 1831u);
    EXPECT_TRUE(Bound().empty());
}

TEST_F(InterfaceChange, APeriodicPassTakesOverAPendingOne) {
    loop.Advance(4950);
    Signal();          // 4950: runs at once
    Signal();          // pending for 5050
    loop.Advance(50);  // the 5 s pass at 5000 sees everything
    loop.Advance(1000);
    EXPECT_EQ(LaterPasses(), (std::vector<uint64_t>{4950, 5000}));
}

TEST_F(InterfaceChange, StopUnsubscribes) {
    monitor.Stop();
    EXPECT_EQ(events.closes, 1);
    EXPECT_EQ(loop.watches.count(events.fd), 0u);
    EXPECT_EQ(loop.TimerCount(), 0u);
}

TEST(InterfaceChangeWithoutWord, OnlyThePeriodicPassesRun) {
    test::FakeUi ui;
    test::VirtualLoop loop;
    Settings settings;
    test::FakeSocketOps ops;
    SocketTable table{ui, loop, settings, ops};
    test::FakeInterfaceSource source;
    FakeInterfaceEvents events;
    events.fd = -1;  // no netlink to be had
    InterfaceMonitor monitor{loop, source, table};
    monitor.Follow(events);
    monitor.Start();
    EXPECT_EQ(loop.watches.count(-1), 0u);
    loop.Advance(10000);
    EXPECT_EQ(source.reads, 3);
}

}  // namespace
}  // namespace pm
