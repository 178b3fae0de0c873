// A shared LAN: beside the real (simulated) switch stands a hostile host that has heard the
// header identifier and sends crafted datagrams. The program runs over real sockets in the
// lab's manager namespace, as both front-ends build it (app/RealNetwork).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "app/PollLoop.h"
#include "app/ProgramContexts.h"
#include "app/RealNetwork.h"
#include "app/SocketEvents.h"
#include "base/AddressText.h"
#include "base/WireConstants.h"
#include "config/ConfigurationSet.h"
#include "inventory/DeviceTables.h"
#include "inventory/MonitorCommands.h"
#include "inventory/RowBuilders.h"
#include "lab/support/CliRun.h"
#include "lab/support/Hostile.h"
#include "lab/support/Lab.h"
#include "protocol/Discover.h"
#include "storage/EventLog.h"
#include "storage/MonitorFile.h"
#include "storage/SettingsFile.h"
#include "support/FakeUi.h"
#include "support/Replies.h"
#include "support/TempDir.h"
#include "upgrade/UpgradeCommand.h"
#include "upgrade/UpgradeSession.h"

namespace pm {
namespace {

using lab::CliRun;
using lab::ReadAll;

constexpr uint16_t kBasePort = 4000;
constexpr char kGroup[] = "239.1.2.3";
constexpr uint32_t kHeaderId = 0x54525354;
constexpr char kSwitchIp[] = "10.201.1.10";
constexpr char kHostileCidr[] = "10.201.1.66/24";
constexpr char kManagerIp[] = "10.201.1.2";
constexpr uint16_t kTftpLocalPort = 64517;
const std::array<uint8_t, 6> kMac{2, 0x50, 0x4D, 0, 0, 0x0A};
const std::array<uint8_t, 6> kHostileMac{2, 0x66, 0x66, 0, 0, 0x66};
constexpr char kPassword[] = "admin";

uint32_t Ip(const char* dotted) {
    return *sim::ParseIp(dotted);
}

sim::SwitchConfig RealSwitch() {
    sim::SwitchConfig c;
    c.ip = Ip(kSwitchIp);
    c.mac = kMac;
    c.iface = "eth0";
    c.password = kPassword;
    c.wait1 = 1;
    c.wait2 = 1;
    c.rebootMs = 1000;
    return c;
}

// The lab, the switch, the hostile host and the program; built on the test's thread, which
// stays in the manager namespace until the fixture goes.
class TrustLab : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!lab::CanBuildLabs())
            GTEST_SKIP() << "lab tests need root and the ip tool";
    }
    void TearDown() override {
        session_.reset();
        program_.reset();
        network_.reset();
        inManager_.reset();  // leave the namespace before it goes
        sim_.reset();
        hostile_.reset();
        lab_.reset();
    }

    void Build(const sim::SwitchConfig& config = RealSwitch()) {
        lab_ = std::make_unique<lab::Lab>();
        const std::string ns = lab_->AddSwitch(0, std::string(kSwitchIp) + "/24");
        hostile_ = std::make_unique<lab::HostileHost>(*lab_, 0, kHostileCidr);
        ASSERT_TRUE(lab_->Ok());
        ASSERT_TRUE(hostile_->Ok());
        sim::SimOptions options;
        options.basePort = kBasePort;
        options.group = kGroup;
        sim_ = std::make_unique<lab::SimThread>(ns, options, std::vector{config});
        ASSERT_EQ(sim_->Error(), "");
        inManager_ = std::make_unique<lab::EnterNamespace>(lab_->Manager());
        ASSERT_TRUE(inManager_->Ok());
        // The utility's sockets open in the lab's manager namespace and nowhere else.
        ASSERT_TRUE(sim::InNamedNetworkNamespace());

        settings_.header_id = kHeaderId;
        settings_.base_port = kBasePort;
        settings_.DerivePorts();
        settings_.multicast_interface_on_off = 1;
        std::strcpy(settings_.multicast_group, kGroup);
        network_ = std::make_unique<RealNetwork>(ui_, loop_);
        program_ =
            std::make_unique<Program>(ui_, loop_, network_->GetTransport(), network_->Interfaces());
        program_->settings = settings_;
        program_->configFolder = dir_.path().string();
        CreateDiscoveryColumns(program_->lists, settings_);
        CreateMonitorColumns(program_->lists, settings_);
        ASSERT_TRUE(network_->Start(settings_, [this](int id) { OnDeviceSocketEvent(P(), id); }));
        loop_.Run(200);  // the interface monitor's first pass opens the sockets
    }

    Program& P() { return *program_; }
    sim::SwitchSim& Sim() { return sim_->Sim(); }

    // Discovers the switch (bounded) and selects it in the discovery list.
    void DiscoverAndSelect() {
        for (int attempt = 0; attempt < 5 && !Found(); ++attempt) {
            ASSERT_EQ(Discover(P().lists, P().net, P().settings, P().ui), 0);
            loop_.RunUntil([&] { return Found(); }, 600);
        }
        const Lookup d = FindDiscoveryByMac(P().lists, FormatMac(kMac.data()));
        ASSERT_TRUE(d.found);
        P().selection = {d.index, ListKind::Discovery, P().lists.monitorList.GetItemCount(),
                         P().lists.discoveryList.GetItemCount()};
    }
    bool Found() const { return FindDiscoveryByMac(program_->lists, FormatMac(kMac.data())).found; }

    // portmesa-cli from a scratch folder with its own cfg/ (the same settings), run in the
    // manager namespace; its exit code, standard output and standard error.
    CliRun RunCli(const std::string& args) {
        if (!std::filesystem::exists(dir_.File("portmesa-cli"))) {
            char exe[4096] = {};
            if (::readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0)
                return {};
            const std::string self(exe);
            std::filesystem::copy_file(self.substr(0, self.find_last_of('/')) + "/portmesa-cli",
                                       dir_.File("portmesa-cli"));
            std::filesystem::create_directory(dir_.File("cfg"));
            const auto file = BuildSettingsFile(settings_);
            std::ofstream(dir_.File("cfg/define.ecf"), std::ios::binary)
                .write(reinterpret_cast<const char*>(file.data()),
                       static_cast<std::streamsize>(file.size()));
        }
        const int status = std::system(("timeout 20 ip netns exec " + lab_->Manager() + " " +
                                        dir_.File("portmesa-cli") + " " + args + " >" +
                                        dir_.File("out.txt") + " 2>" + dir_.File("err.txt"))
                                           .c_str());
        CliRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadAll(dir_.File("out.txt"));
        run.err = ReadAll(dir_.File("err.txt"));
        return run;
    }

    // A reply as the hostile host forges it: our header identifier, its own MAC.
    test::Reply Forged(uint16_t command, uint16_t sequence, uint8_t result = 0) const {
        test::Reply r(kHeaderId, kHostileMac, command);
        r.header.sequence = sequence;
        r.header.result = result;
        r.Address(FieldType::IpAddress, hostile_->Address());
        return r;
    }
    // To every port the utility listens on, so that it lands beside the switch's answer.
    void SendToEveryPort(const std::vector<uint8_t>& bytes) {
        for (uint16_t port :
             {settings_.broadcast_port, settings_.unicast_port, settings_.multicast_port})
            ASSERT_TRUE(hostile_->Send(bytes, Ip(kManagerIp), port));
    }

    void OpenFirmwareForm() {
        const UpgradeContext context = UpgradeContextOf(P());
        ASSERT_EQ(UpgradeCommand(context,
                                 [&] {
                                     session_ = std::make_unique<UpgradeSession>(
                                         context, UpgradeView{nullptr, nullptr, nullptr});
                                     session_->Open();
                                 }),
                  0);
        ASSERT_TRUE(session_);
    }
    std::string WriteImage(const std::vector<uint8_t>& bytes) {
        const std::string path = dir_.File("fw.bin");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static std::vector<uint8_t> Image(size_t n) {
        std::mt19937 rng(7);
        std::vector<uint8_t> out(n);
        for (auto& b : out)
            b = static_cast<uint8_t>(rng());
        return out;
    }
    // Runs until the last block is acknowledged (the pause after it and the search are the
    // upgrade tests' business).
    bool RunTransferToItsEnd(uint64_t timeoutMs) {
        loop_.RunUntil([&] { return session_->Transfer().Finishing(); }, timeoutMs);
        return session_->Transfer().Finishing();
    }

    std::unique_ptr<lab::Lab> lab_;
    std::unique_ptr<lab::HostileHost> hostile_;
    std::unique_ptr<lab::SimThread> sim_;
    std::unique_ptr<lab::EnterNamespace> inManager_;
    test::TempDir dir_;
    test::FakeUi ui_;
    PollLoop loop_;
    Settings settings_;
    std::unique_ptr<RealNetwork> network_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<UpgradeSession> session_;
};

TEST_F(TrustLab, AForeignAcknowledgementAheadOfTheRealOneLeavesTheRealOneConfirmedOnce) {
    ASSERT_NO_FATAL_FAILURE(Build());
    ASSERT_NO_FATAL_FAILURE(DiscoverAndSelect());
    const uint16_t sequence = P().sequence;
    // The forged acknowledgement is on its way before the request leaves, so it is read first.
    SendToEveryPort(Forged(4, sequence).Bytes());
    const DeviceRecord& entry = P().lists.discovery[static_cast<size_t>(P().selection.index)];
    ConfigurationFormView view = OpenConfigurationForm(entry, P().settings);
    ConfigurationInput in;
    in.mode = view.selected;
    in.ip = view.ip;
    in.mask = view.mask.value_or(0);
    in.gateway = view.gateway.value_or(0);
    in.systemName = "renamed";
    in.location = view.location;
    in.password = kPassword;
    in.groupInterval = view.groupIntervalText;
    in.groupIntervalEnabled = view.groupIntervalEnabled;
    DeviceRecord workingCopy;
    const auto target = FindBoundDevice(P().lists, FormatMac(kMac.data()), P().ui);
    ASSERT_TRUE(target);
    ASSERT_EQ(SetConfiguration(SetRequestContextOf(P(), *target), in, workingCopy),
              SetOutcome::Sent);
    loop_.RunUntil([&] { return !ui_.messages.empty(); }, 3000);
    loop_.Run(300);  // room for a second confirmation, which must not come

    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"Set Successful"});
    EXPECT_EQ(P().sequence, static_cast<uint16_t>(sequence + 1));
    EXPECT_EQ(Sim().Config(0).systemName, "renamed");
    EXPECT_FALSE(FindDiscoveryByMac(P().lists, FormatMac(kHostileMac.data())).found);
}

TEST_F(TrustLab, AForeignPasswordRejectionDuringTheTriggerDoesNotStopTheUpgrade) {
    ASSERT_NO_FATAL_FAILURE(Build());
    ASSERT_NO_FATAL_FAILURE(DiscoverAndSelect());
    ASSERT_NO_FATAL_FAILURE(OpenFirmwareForm());
    const auto image = Image(3000);
    session_->Start(WriteImage(image), kPassword);
    // Before the first try leaves: "wrong password", in answer to a trigger and to nothing.
    SendToEveryPort(Forged(11, P().sequence, 2).Bytes());
    SendToEveryPort(Forged(2, 0, 2).Bytes());
    ASSERT_TRUE(RunTransferToItsEnd(8000)) << session_->Status();
    EXPECT_EQ(Sim().Upgrades(0), 1);
    EXPECT_TRUE(Sim().Image(0) == image);
    EXPECT_EQ(session_->Outcome(), UpgradeOutcome::None);
}

TEST_F(TrustLab, ATftpErrorFromAnotherAddressDoesNotAbortTheTransfer) {
    ASSERT_NO_FATAL_FAILURE(Build());
    ASSERT_NO_FATAL_FAILURE(DiscoverAndSelect());
    ASSERT_NO_FATAL_FAILURE(OpenFirmwareForm());
    const auto image = Image(200 * 1024);
    session_->Start(WriteImage(image), kPassword);
    loop_.RunUntil([&] { return session_->Transfer().State().currentBlock >= 2; }, 5000);
    ASSERT_GE(session_->Transfer().State().currentBlock, 2);
    std::vector<uint8_t> error = {0, 5, 0, 0};
    for (char c : std::string("Disk full"))
        error.push_back(static_cast<uint8_t>(c));
    error.push_back(0);
    ASSERT_TRUE(hostile_->Send(error, Ip(kManagerIp), kTftpLocalPort));
    ASSERT_TRUE(RunTransferToItsEnd(8000)) << session_->Status();
    EXPECT_TRUE(Sim().Image(0) == image) << "the image arrived byte for byte";
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    EXPECT_EQ(ReadAll(LogFilePath(P().configFolder)), "");
}

TEST_F(TrustLab, MarkupEscapesAndLineBreaksFromTheNetworkStayInertText) {
    sim::SwitchConfig c = RealSwitch();
    c.systemName = "<b>\x1b]0;owned\x07";
    c.location = "a\r\nb\xe2\x80\xae";
    c.tftpErrorBlock = 2;
    c.tftpErrorText = "bad\r\n01/01/2030 00:00:00 10.0.0.1 forged";
    ASSERT_NO_FATAL_FAILURE(Build(c));
    ASSERT_NO_FATAL_FAILURE(DiscoverAndSelect());
    const int row = P().lists.discoveryList.FindRowByText(kDiscMac, FormatMac(kMac.data()));
    EXPECT_EQ(P().lists.discoveryList.GetItemText(row, kDiscSystem), "<b>\u241b]0;owned\u2407");
    EXPECT_EQ(P().lists.discoveryList.GetItemText(row, kDiscLocation), "a\u240d\u240ab<U+202E>");

    // A device text in an error reply, from the hostile host.
    test::Reply text = Forged(2, 0, 255);
    text.Text(FieldType::DeviceText, "<a href=x>y</a>\x1b[2J\r\n");
    SendToEveryPort(text.Bytes());
    loop_.RunUntil([&] { return !ui_.messages.empty(); }, 2000);
    ASSERT_FALSE(ui_.messages.empty());
    EXPECT_EQ(ui_.messages[0].text, "Device return : <a href=x>y</a>\u241b[2J\u240d\u240a");

    // The switch's own TFTP error: shown inert, logged on one line.
    ui_.Clear();
    ASSERT_NO_FATAL_FAILURE(OpenFirmwareForm());
    session_->Start(WriteImage(Image(2000)), kPassword);
    loop_.RunUntil([&] { return session_->Outcome() != UpgradeOutcome::None; }, 6000);
    EXPECT_EQ(session_->Outcome(), UpgradeOutcome::DeviceError);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "bad\u240d\u240a01/01/2030 00:00:00 10.0.0.1 forged");
    const std::string log = ReadAll(LogFilePath(P().configFolder));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find(" 10.201.1.10 bad\\r\\n01/01/2030 00:00:00 10.0.0.1 forged \r\n"),
              std::string::npos)
        << log;

    // The command line's table, on a terminal: nothing there to retitle or clear it.
    session_.reset();
    network_->Stop();  // one program on these ports at a time
    const CliRun cli = RunCli("discover --wait 1");
    EXPECT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_NE(cli.out.find("<b>\u241b]0;owned\u2407"), std::string::npos) << cli.out;
    EXPECT_EQ(cli.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(cli.out.find('\r'), std::string::npos);
}

TEST_F(TrustLab, ASavedMonitorListHoldsNoPasswordTheSwitchReported) {
    sim::SwitchConfig c = RealSwitch();
    c.password = "Hunter2pw";
    c.fields.insert(9);  // this switch reports its password in every reply
    ASSERT_NO_FATAL_FAILURE(Build(c));
    ASSERT_NO_FATAL_FAILURE(DiscoverAndSelect());
    const int row = P().lists.discoveryList.FindRowByText(kDiscMac, FormatMac(kMac.data()));
    P().lists.discoveryList.SetItemStates(row, kStateSelected);
    AddOneToMonitor(P().lists, P().settings, P().ui);
    ASSERT_EQ(P().lists.monitorList.GetItemCount(), 1);
    // Another reply, with the password again, refreshes the monitored entry.
    ASSERT_EQ(Discover(P().lists, P().net, P().settings, P().ui), 0);
    ASSERT_EQ(P().lists.monitor[0].answered, 0);
    loop_.RunUntil([&] { return P().lists.monitor[0].answered == 1; }, 3000);
    ASSERT_EQ(P().lists.monitor[0].answered, 1);
    SaveMonitorListDefault(P().lists, P().ui, P().configFolder);
    const std::string file = ReadAll(MonitorFilePath(P().configFolder));
    ASSERT_EQ(file.size(), kRecordSize);
    EXPECT_EQ(file.find("Hunter2pw"), std::string::npos);
    EXPECT_EQ(TextOf(P().lists.monitor[0].password), "");
}

// The command line copy beside a running program: refused before it opens a socket.
TEST_F(TrustLab, ASecondInstanceIsRefusedAndTheFirstKeepsItsReplies) {
    ASSERT_NO_FATAL_FAILURE(Build());
    const CliRun cli = RunCli("discover --wait 1");
    EXPECT_EQ(cli.exitCode, 1);
    EXPECT_EQ(cli.out, "");
    std::ifstream comm("/proc/self/comm");
    std::string self;
    std::getline(comm, self);
    const std::string& message = cli.err;
    EXPECT_NE(message.find("(" + self + ", process " + std::to_string(::getpid()) + ")"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("base port 4000"), std::string::npos) << message;

    // In this process too: a second program on the same ports opens nothing.
    test::FakeUi otherUi;
    PollLoop otherLoop;
    RealNetwork second(otherUi, otherLoop);
    EXPECT_FALSE(second.Start(settings_, [](int) {}));
    EXPECT_EQ(otherUi.messages.size(), 1u);

    // The first still hears its switch.
    ASSERT_NO_FATAL_FAILURE(DiscoverAndSelect());
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
}

}  // namespace
}  // namespace pm
