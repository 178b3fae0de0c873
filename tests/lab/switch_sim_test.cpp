// The switch simulator's device side, driven through the real transport in a lab.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>

#include "app/PollLoop.h"
#include "base/Bytes.h"
#include "base/WireConstants.h"
#include "lab/support/Lab.h"
#include "net/InterfaceMonitor.h"
#include "net/LinuxInterfaceSource.h"
#include "net/SocketTable.h"
#include "support/FakeUi.h"

namespace pm {
namespace {

constexpr uint16_t kBasePort = 4000;
constexpr uint32_t kHeaderId = 0x11223344;
const std::array<uint8_t, 6> kMac{2, 0x50, 0x4D, 0, 0, 9};

uint32_t Ip(const char* dotted) {
    return *sim::ParseIp(dotted);
}

struct Reply {
    std::vector<uint8_t> bytes;
    uint32_t from;
    uint16_t Word(size_t at) const { return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]); }
    uint16_t Command() const { return Word(hdr::kCommand); }
    uint8_t Result() const { return bytes[hdr::kResult + 1]; }
    uint32_t HeaderId() const {
        return static_cast<uint32_t>(Word(hdr::kHeaderId)) << 16 | Word(hdr::kHeaderId + 2);
    }
    // The value of the first field of that type, or empty.
    std::vector<uint8_t> Field(uint16_t type) const {
        ByteReader r(bytes.data() + kHeaderSize, bytes.size() - kHeaderSize);
        uint16_t t = 0, length = 0;
        while (r.U16be(t) && r.U16be(length) && length >= 4 && r.CanRead(length - 4u)) {
            std::vector<uint8_t> v(length - 4u);
            r.Bytes(v.data(), v.size());
            if (t == type)
                return v;
        }
        return {};
    }
};

class SwitchSimLab : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!lab::CanBuildLabs())
            GTEST_SKIP() << "lab tests need root and the ip tool";
        lab_ = std::make_unique<lab::Lab>();
        const std::string ns = lab_->AddSwitch(0, "10.201.1.10/24");
        ASSERT_TRUE(lab_->Ok());
        sim::SimOptions options;
        options.basePort = kBasePort;
        options.group = "239.1.2.3";
        sim::SwitchConfig c;
        c.ip = Ip("10.201.1.10");
        c.mac = kMac;
        c.iface = "eth0";
        c.password = "secret";
        c.rebootMs = 400;
        sim_ = std::make_unique<lab::SimThread>(ns, options, std::vector<sim::SwitchConfig>{c});
        ASSERT_EQ(sim_->Error(), "");
        inManager_ = std::make_unique<lab::EnterNamespace>(lab_->Manager());
        ASSERT_TRUE(inManager_->Ok());
        ASSERT_TRUE(sim::InNamedNetworkNamespace());

        settings_.header_id = kHeaderId;
        settings_.base_port = kBasePort;
        settings_.DerivePorts();
        std::strcpy(settings_.multicast_group, "239.1.2.3");
        table_ = std::make_unique<SocketTable>(ui_, loop_, settings_, ops_);
        table_->SetNotifyHandler([this](int id) { Read(id, replies_); });
        InterfaceMonitor(loop_, source_, *table_).Pass();
    }
    void TearDown() override {
        table_.reset();
        inManager_.reset();  // leave the namespace before it goes
        sim_.reset();
        lab_.reset();
    }

    void Read(int id, std::vector<Reply>& into) {
        uint8_t buffer[kMaxDatagram];
        uint32_t from = 0;
        uint16_t port = 0;
        const int n = table_->ReceiveFromEvent(id, buffer, sizeof buffer, from, port);
        if (n >= 0)
            into.push_back({std::vector<uint8_t>(buffer, buffer + n), from});
    }
    std::vector<uint8_t> Request(
        uint16_t command, uint16_t sequence,
        std::initializer_list<std::pair<uint16_t, std::string>> fields = {}) {
        std::vector<uint8_t> p(kMaxDatagram);
        ByteWriter w(p.data(), p.size());
        w.U16be(2).U16be(0).Bytes(kMac.data(), 6).U16be(0).U16be(command).U16be(0).U32be(kHeaderId);
        w.Zeros(6).U16be(sequence).Zeros(12);
        for (const auto& [type, value] : fields)
            w.U16be(type).U16be(static_cast<uint16_t>(4 + value.size())).Text(value);
        p.resize(w.Position());
        return p;
    }
    static std::string Address(const char* dotted) {
        const uint32_t a = htonl(Ip(dotted));
        return std::string(reinterpret_cast<const char*>(&a), 4);
    }
    // Sends to the switch and waits (at most 2 s) for its reply.
    Reply Ask(uint32_t to, std::vector<uint8_t> packet) {
        replies_.clear();
        EXPECT_EQ(table_->SendToDevice(to, packet.data(), packet.size()), 0);
        loop_.RunUntil([&] { return !replies_.empty(); }, 2000);
        return replies_.empty() ? Reply{std::vector<uint8_t>(kHeaderSize), 0} : replies_.front();
    }
    sim::SwitchSim& Sim() { return sim_->Sim(); }

    std::unique_ptr<lab::Lab> lab_;
    std::unique_ptr<lab::SimThread> sim_;
    std::unique_ptr<lab::EnterNamespace> inManager_;
    test::FakeUi ui_;
    PollLoop loop_;
    Settings settings_;
    PosixSocketOps ops_;
    LinuxInterfaceSource source_;
    std::unique_ptr<SocketTable> table_;
    std::vector<Reply> replies_;
};

TEST_F(SwitchSimLab, DiscoveryAndPollRepliesCarryTheConfiguredFields) {
    const Reply r = Ask(Ip("10.201.1.10"), Request(1, 0));
    EXPECT_EQ(r.Command(), 2);
    EXPECT_EQ(r.Word(hdr::kMinor), 1);
    EXPECT_EQ(r.HeaderId(), kHeaderId);
    EXPECT_TRUE(std::equal(kMac.begin(), kMac.end(), r.bytes.begin() + hdr::kDeviceMac));
    EXPECT_EQ(r.Field(1), (std::vector<uint8_t>{'P', 'M', 'S', '-', '2', '2', '0', '8'}));
    EXPECT_EQ(r.Field(4), (std::vector<uint8_t>{10, 201, 1, 10}));
    EXPECT_EQ(r.Field(10), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(r.Field(129).size(), 16u);
    EXPECT_EQ(Ask(Ip("10.201.1.10"), Request(5, 0)).Command(), 6);
}

TEST_F(SwitchSimLab, ASetChecksThePasswordAndANewAddressMovesTheSwitch) {
    Reply r = Ask(Ip("10.201.1.10"), Request(7, 41, {{9, "wrong"}, {4, Address("10.201.1.50")}}));
    EXPECT_EQ(r.Command(), 8);
    EXPECT_EQ(r.Result(), 2);

    r = Ask(Ip("10.201.1.10"),
            Request(7, 42, {{9, "secret"}, {2, "core-1"}, {4, Address("10.201.1.50")}}));
    EXPECT_EQ(r.Command(), 8);
    EXPECT_EQ(r.Result(), 0);
    EXPECT_EQ(r.Word(hdr::kSequence), 42);
    EXPECT_EQ(r.from, Ip("10.201.1.10"));  // acknowledged from where it was asked
    EXPECT_EQ(r.Field(4), (std::vector<uint8_t>{10, 201, 1, 50}));

    r = Ask(Ip("10.201.1.50"), Request(5, 0));
    EXPECT_EQ(r.from, Ip("10.201.1.50"));
    EXPECT_EQ(r.Field(2), (std::vector<uint8_t>{'c', 'o', 'r', 'e', '-', '1'}));
}

TEST_F(SwitchSimLab, TriggerThenTftpStoresTheImageAndTheSwitchRestarts) {
    EXPECT_EQ(Ask(Ip("10.201.1.10"), Request(10, 7, {{9, "bad"}})).Result(), 2);
    const Reply ack = Ask(Ip("10.201.1.10"), Request(10, 7, {{9, "secret"}}));
    EXPECT_EQ(ack.Command(), 11);
    EXPECT_EQ(ack.Result(), 0);
    EXPECT_EQ(ack.Word(hdr::kSequence), 7);

    std::vector<Reply> tftp;
    ASSERT_TRUE(table_->AttachTftpWindow([&](int id) { Read(id, tftp); }));
    std::vector<uint8_t> image(1100);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * 7);
    auto awaitAck = [&](uint16_t block) {
        loop_.RunUntil([&] { return !tftp.empty(); }, 2000);
        ASSERT_EQ(tftp.size(), 1u);
        EXPECT_EQ(tftp[0].Word(0), 4);
        EXPECT_EQ(tftp[0].Word(2), block);
        tftp.clear();
    };
    std::vector<uint8_t> wrq(64);
    ByteWriter w(wrq.data(), wrq.size());
    w.U16be(2).Text("fw.bin").U8(0).Text("octet").U8(0);
    wrq.resize(w.Position());
    ASSERT_EQ(table_->SendTftp(Ip("10.201.1.10"), 0xFFFFFF00, wrq.data(), wrq.size(), 69), 0);
    awaitAck(0);
    std::vector<uint8_t> data;
    for (uint16_t block = 1; block <= 3; ++block) {
        const size_t at = (block - 1u) * 512u, n = std::min<size_t>(512, image.size() - at);
        data.assign(4 + n, 0);
        ByteWriter(data.data(), data.size()).U16be(3).U16be(block).Bytes(image.data() + at, n);
        ASSERT_EQ(table_->SendTftp(Ip("10.201.1.10"), 0xFFFFFF00, data.data(), data.size(), 69), 0);
        awaitAck(block);
    }
    EXPECT_EQ(Sim().Image(0), image);
    EXPECT_EQ(Sim().ImageName(0), "fw.bin");
    EXPECT_TRUE(Sim().Rebooting(0));
    // The last block again, as after a lost acknowledgement: acknowledged again although the
    // switch restarts, and the image is kept once.
    ASSERT_EQ(table_->SendTftp(Ip("10.201.1.10"), 0xFFFFFF00, data.data(), data.size(), 69), 0);
    awaitAck(3);
    EXPECT_EQ(Sim().Upgrades(0), 1);

    // Silent while it restarts, then found again by discovery.
    auto discover = Request(1, 0);
    replies_.clear();
    table_->SendBroadcast(discover.data(), discover.size());
    loop_.Run(100);
    EXPECT_TRUE(replies_.empty());
    loop_.RunUntil([&] { return !Sim().Rebooting(0); }, 2000);
    EXPECT_EQ(Ask(Ip("10.201.1.10"), Request(1, 0)).Command(), 2);
}

TEST_F(SwitchSimLab, ALoaderTakesTheBareTriggerAndStartsTheNewFirmware) {
    Sim().Update(0, [](sim::SwitchConfig& c) {
        c.loader = true;
        c.rebootMs = 0;
    });
    EXPECT_EQ(Ask(Ip("10.201.1.10"), Request(1, 0)).Command(), 12);
    const auto trigger = Request(10, 3);
    ASSERT_EQ(trigger.size(), kHeaderSize);
    const Reply ack = Ask(Ip("10.201.1.10"), trigger);
    EXPECT_EQ(ack.Command(), 11);
    EXPECT_EQ(ack.Result(), 0);
    ASSERT_EQ(Sim().Requests().back().length, kHeaderSize);

    std::vector<Reply> tftp;
    ASSERT_TRUE(table_->AttachTftpWindow([&](int id) { Read(id, tftp); }));
    const uint8_t wrq[] = {0, 2, 'f', 0, 'o', 'c', 't', 'e', 't', 0};
    const uint8_t block1[] = {0, 3, 0, 1, 'x'};
    for (const auto& packet : {std::vector<uint8_t>(std::begin(wrq), std::end(wrq)),
                               std::vector<uint8_t>(std::begin(block1), std::end(block1))}) {
        tftp.clear();
        ASSERT_EQ(table_->SendTftp(Ip("10.201.1.10"), 0xFFFFFF00, packet.data(), packet.size(), 69),
                  0);
        loop_.RunUntil([&] { return !tftp.empty(); }, 2000);
        ASSERT_EQ(tftp.size(), 1u);
        EXPECT_EQ(tftp[0].Word(0), 4);
    }
    EXPECT_EQ(Sim().Image(0), std::vector<uint8_t>{'x'});
    EXPECT_EQ(Ask(Ip("10.201.1.10"), Request(1, 0)).Command(), 2);
}

TEST_F(SwitchSimLab, FaultsShowInTheReplies) {
    Sim().Update(0, [](sim::SwitchConfig& c) { c.wrongHeaderId = true; });
    EXPECT_NE(Ask(Ip("10.201.1.10"), Request(1, 0)).HeaderId(), kHeaderId);

    Sim().Update(0, [](sim::SwitchConfig& c) {
        c.wrongHeaderId = false;
        c.result = 255;
        c.resultText = "flash busy";
    });
    Reply r = Ask(Ip("10.201.1.10"), Request(1, 0));
    EXPECT_EQ(r.Result(), 255);
    EXPECT_EQ(r.Field(30),
              (std::vector<uint8_t>{'f', 'l', 'a', 's', 'h', ' ', 'b', 'u', 's', 'y'}));

    Sim().Update(0, [](sim::SwitchConfig& c) {
        c.result = 0;
        c.loader = true;
    });
    EXPECT_EQ(Ask(Ip("10.201.1.10"), Request(1, 0)).Command(), 12);
    EXPECT_EQ(Ask(Ip("10.201.1.10"), Request(14, 3, {{9, ""}})).Command(), 15);

    Sim().Update(0, [](sim::SwitchConfig& c) {
        c.loader = false;
        c.silent = true;
    });
    replies_.clear();
    auto poll = Request(5, 0);
    table_->SendToDevice(Ip("10.201.1.10"), poll.data(), poll.size());
    loop_.Run(200);
    EXPECT_TRUE(replies_.empty());

    // Half the packets lost, reproducibly: some of twenty polls go unanswered.
    Sim().Update(0, [](sim::SwitchConfig& c) {
        c.silent = false;
        c.lossPercent = 50;
        c.seed = 7;
    });
    replies_.clear();
    for (int i = 0; i < 20; ++i)
        table_->SendToDevice(Ip("10.201.1.10"), poll.data(), poll.size());
    loop_.Run(300);
    EXPECT_GT(replies_.size(), 2u);
    EXPECT_LT(replies_.size(), 18u);

    // Outgoing TFTP packets lost as well: every request arrives, some answers do not.
    Sim().Update(0, [](sim::SwitchConfig& c) {
        c.lossPercent = 0;
        c.tftpReplyLoss = 50;
        c.requireTrigger = false;
    });
    std::vector<Reply> tftp;
    ASSERT_TRUE(table_->AttachTftpWindow([&](int id) { Read(id, tftp); }));
    const uint8_t wrq[] = {0, 2, 'f', 0, 'o', 'c', 't', 'e', 't', 0};
    for (int i = 0; i < 20; ++i)
        table_->SendTftp(Ip("10.201.1.10"), 0xFFFFFF00, wrq, sizeof wrq, 69);
    loop_.Run(300);
    EXPECT_GT(tftp.size(), 2u);
    EXPECT_LT(tftp.size(), 18u);
}

TEST_F(SwitchSimLab, ATftpErrorPacketEndsTheTransfer) {
    Sim().Update(0, [](sim::SwitchConfig& c) {
        c.tftpErrorBlock = 1;
        c.tftpErrorText = "Image too large";
        c.requireTrigger = false;
    });
    std::vector<Reply> tftp;
    ASSERT_TRUE(table_->AttachTftpWindow([&](int id) { Read(id, tftp); }));
    const uint8_t wrq[] = {0, 2, 'f', 0, 'o', 'c', 't', 'e', 't', 0};
    ASSERT_EQ(table_->SendTftp(Ip("10.201.1.10"), 0xFFFFFF00, wrq, sizeof wrq, 69), 0);
    loop_.RunUntil([&] { return !tftp.empty(); }, 2000);
    const uint8_t block1[] = {0, 3, 0, 1, 'x'};
    tftp.clear();
    ASSERT_EQ(table_->SendTftp(Ip("10.201.1.10"), 0xFFFFFF00, block1, sizeof block1, 69), 0);
    loop_.RunUntil([&] { return !tftp.empty(); }, 2000);
    ASSERT_EQ(tftp.size(), 1u);
    EXPECT_EQ(tftp[0].Word(0), 5);
    EXPECT_EQ(std::string(tftp[0].bytes.begin() + 4, tftp[0].bytes.end() - 1), "Image too large");
    EXPECT_TRUE(Sim().Image(0).empty());
}

}  // namespace
}  // namespace pm
