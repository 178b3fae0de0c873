// portmesa-cli against simulated switches in a lab: the program runs inside the manager
// namespace from a scratch folder with its own cfg/, so the build's settings and log stay
// untouched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <sstream>

#include "base/AddressText.h"
#include "base/DeviceText.h"
#include "inventory/DeviceRecord.h"
#include "lab/support/CliRun.h"
#include "lab/support/Lab.h"
#include "storage/DefaultSettings.h"
#include "storage/SettingsFile.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

using lab::CliRun;
using lab::ExecutableFolder;
using lab::ReadAll;

const std::array<uint8_t, 6> kMac1{0x02, 0x50, 0x4D, 0x00, 0x00, 0x01};
const std::array<uint8_t, 6> kMac2{0x02, 0x50, 0x4D, 0x00, 0x00, 0x02};

class CliLab : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!lab::CanBuildLabs())
            GTEST_SKIP() << "lab tests need root and the ip tool";
        // The program and a fresh cfg/ in a scratch folder.
        const std::string source = ExecutableFolder() + "/portmesa-cli";
        ASSERT_TRUE(std::filesystem::exists(source)) << source;
        std::filesystem::copy_file(source, dir_.File("portmesa-cli"));
        std::filesystem::create_directory(dir_.File("cfg"));
        const auto settings = BuildSettingsFile(DefaultSettings());
        std::ofstream(dir_.File("cfg/define.ecf"), std::ios::binary)
            .write(reinterpret_cast<const char*>(settings.data()),
                   static_cast<std::streamsize>(settings.size()));

        lab_ = std::make_unique<lab::Lab>();
        const std::string ns1 = lab_->AddSwitch(0, "10.201.1.10/24");
        const std::string ns2 = lab_->AddSwitch(1, "10.202.1.20/24");
        ASSERT_TRUE(lab_->Ok());
        sim::SwitchConfig a;
        a.mac = kMac1;
        a.ip = *sim::ParseIp("10.201.1.10");
        a.gateway = *sim::ParseIp("10.201.1.1");
        a.product = "QR_VM410_16";
        a.systemName = "core-a";
        a.location = "rack 1";
        a.password = "secret";
        a.iface = "eth0";
        sim::SwitchConfig b = a;
        b.mac = kMac2;
        b.ip = *sim::ParseIp("10.202.1.20");
        b.gateway = 0;
        b.product = "PMS-2208";
        b.systemName = "edge-b";
        b.location = "hall";
        b.ipMode = 1;
        b.revision = 3;
        b.reply = sim::ReplyMode::Broadcast;
        sim1_ = std::make_unique<lab::SimThread>(ns1, sim::SimOptions{},
                                                 std::vector<sim::SwitchConfig>{a});
        sim2_ = std::make_unique<lab::SimThread>(ns2, sim::SimOptions{},
                                                 std::vector<sim::SwitchConfig>{b});
        ASSERT_EQ(sim1_->Error(), "");
        ASSERT_EQ(sim2_->Error(), "");
    }

    CliRun Cli(const std::string& args, const std::string& input = "") {
        const std::string out = dir_.File("out.txt"), err = dir_.File("err.txt");
        const std::string in = dir_.File("in.txt");
        std::ofstream(in, std::ios::binary | std::ios::trunc) << input;
        const std::string command = "timeout 60 ip netns exec " + lab_->Manager() + " " +
                                    dir_.File("portmesa-cli") + " " + args + " <" + in + " >" +
                                    out + " 2>" + err;
        const int status = std::system(command.c_str());
        CliRun r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadAll(out);
        r.err = ReadAll(err);
        return r;
    }

    void WriteMonitorFile(const std::string& path,
                          const std::vector<std::pair<std::string, std::string>>& devices) {
        std::ofstream file(path, std::ios::binary);
        for (const auto& [ip, mac] : devices) {
            DeviceRecord r;
            SetText(r.ip_text, ip);
            SetText(r.mac_text, mac);
            r.ip = *sim::ParseIp(ip);
            r.status_mark = -1;
            std::array<uint8_t, kRecordSize> bytes{};
            EncodeRecord(r, bytes);
            file.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        }
    }

    test::TempDir dir_;
    std::unique_ptr<lab::Lab> lab_;
    std::unique_ptr<lab::SimThread> sim1_, sim2_;
};

TEST_F(CliLab, DiscoverJsonListsEverySimulatedSwitch) {
    const CliRun r = Cli("discover --json --wait 1.5");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto all = nlohmann::json::parse(r.out);
    ASSERT_EQ(all.size(), 2u) << r.out;
    // Sorted by MAC, in both forms.
    EXPECT_EQ(all[0]["mac"], "02:50:4d:00:00:01");
    EXPECT_EQ(all[0]["mac_bare"], "02504d000001");
    EXPECT_EQ(all[1]["mac"], "02:50:4d:00:00:02");
    const auto& a = all[0];
    EXPECT_EQ(a["ip"], "10.201.1.10");
    EXPECT_EQ(a["mask"], "255.255.255.0");
    EXPECT_EQ(a["gateway"], "10.201.1.1");
    EXPECT_EQ(a["product_name"], "QR-VM410/16");
    EXPECT_EQ(a["system_name"], "core-a");
    EXPECT_EQ(a["location"], "rack 1");
    EXPECT_EQ(a["ip_mode"], 0);
    EXPECT_EQ(a["ip_mode_name"], "Static");
    EXPECT_EQ(a["group_interval"], 125);
    EXPECT_EQ(a["loader"], false);
    const auto& b = all[1];
    EXPECT_EQ(b["ip"], "10.202.1.20");
    EXPECT_EQ(b["ip_mode"], 1);
    EXPECT_EQ(b["ip_mode_name"], "DHCP");
    EXPECT_EQ(b["protocol_version"], "2.001.003");

    // The same objects one per line, for streams.
    const CliRun lines = Cli("discover --json-lines --wait 1.5");
    ASSERT_EQ(lines.exitCode, 0) << lines.err;
    std::istringstream in(lines.out);
    std::vector<nlohmann::json> each;
    for (std::string line; std::getline(in, line);)
        each.push_back(nlohmann::json::parse(line));
    EXPECT_EQ(nlohmann::json(each), all);

    const CliRun table = Cli("discover --wait 1");
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find("MAC Address"), std::string::npos);
    EXPECT_NE(table.out.find("edge-b"), std::string::npos);
}

TEST_F(CliLab, SetChecksThePasswordAndReallyChangesTheSwitch) {
    const CliRun wrong = Cli("set --mac 02:50:4d:00:00:01 --password nope --name renamed");
    EXPECT_NE(wrong.exitCode, 0);
    EXPECT_NE(wrong.err.find("portmesa-cli: error: Password incorrect.\n"), std::string::npos)
        << wrong.err;
    EXPECT_EQ(sim1_->Sim().Config(0).systemName, "core-a");

    // The password from standard input, where neither ps nor the history sees it.
    const CliRun right =
        Cli("set --ip 10.201.1.10 --password-file - --name renamed --location attic", "secret\n");
    EXPECT_EQ(right.exitCode, 0) << right.err;
    EXPECT_NE(right.err.find("portmesa-cli: info: Set Successful"), std::string::npos) << right.err;
    EXPECT_EQ(sim1_->Sim().Config(0).systemName, "renamed");
    EXPECT_EQ(sim1_->Sim().Config(0).location, "attic");

    const CliRun bad = Cli("set --ip 10.201.1.10 --password secret --new-ip 127.0.0.5");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Invalid IP address."), std::string::npos) << bad.err;

    const CliRun missing =
        Cli("password --mac 02504d0000ff --password secret --new other --wait 0.5");
    EXPECT_EQ(missing.exitCode, 1);
}

TEST_F(CliLab, MonitorMarksASilencedSwitchNotAlive) {
    const std::string file = dir_.File("watch.cfg");
    WriteMonitorFile(file, {{"10.201.1.10", "02504d000001"}, {"10.202.1.20", "02504d000002"}});
    sim2_->Sim().Update(0, [](sim::SwitchConfig& c) { c.silent = true; });
    const CliRun r = Cli("monitor " + file + " --json --count 5 --refresh 1");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<nlohmann::json> ticks;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        ticks.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(ticks.size(), 5u) << r.out;
    const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)");
    EXPECT_TRUE(std::regex_match(ticks[0]["time"].get<std::string>(), iso)) << ticks[0]["time"];
    const auto& last = ticks.back()["switches"];
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0]["state"], "alive");
    EXPECT_EQ(last[1]["state"], "not alive");
    const std::string log = ReadAll(dir_.File("cfg/syslog.log"));
    EXPECT_NE(log.find(" 10.202.1.20 Not alive \r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("10.201.1.10"), std::string::npos) << log;
}

TEST_F(CliLab, UpgradeEndsOnlyWhenTheSwitchIsBack) {
    sim1_->Sim().Update(0, [](sim::SwitchConfig& c) {
        c.wait1 = 1;
        c.wait2 = 1;
        c.rebootMs = 500;
    });
    std::vector<uint8_t> image(100 * 1024 + 300);  // 201 blocks
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * 7);
    std::ofstream(dir_.File("fw.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));

    const CliRun wrong =
        Cli("upgrade --mac 02504d000001 --image " + dir_.File("fw.bin") + " --password nope");
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.err.find("Password incorrect."), std::string::npos) << wrong.err;

    const CliRun r =
        Cli("upgrade --mac 02504d000001 --image " + dir_.File("fw.bin") + " --password secret");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Not a terminal: a line per tenth or per second, never one per block.
    size_t progressLines = 0;
    std::istringstream err(r.err);
    for (std::string line; std::getline(err, line);)
        progressLines += line.rfind("portmesa-cli: info: upgrade ", 0) == 0;
    EXPECT_GE(progressLines, 10u) << r.err;
    EXPECT_LE(progressLines, 20u) << r.err;
    EXPECT_NE(r.err.find("upgrade 100% (102700/102700 bytes"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("portmesa-cli: info: Upgrade successful"), std::string::npos) << r.err;
    EXPECT_EQ(sim1_->Sim().Image(0), image);
    EXPECT_EQ(sim1_->Sim().ImageName(0), "fw.bin");
}

TEST_F(CliLab, BytesThatAreNotUtf8NeverAbortTheJsonOutput) {
    // A flood of switches whose texts are no UTF-8: Latin-1 bytes, lone continuation bytes,
    // cut sequences, overlong forms, surrogates, and random high bytes.
    const std::string crowd = lab_->AddSwitch(0, "10.201.1.100/24");
    ASSERT_TRUE(lab_->Ok());
    constexpr int kCrowd = 24;
    const std::string fixed[] = {"core-\xFF\xFE", "\x80\x81",     "a\xE2\x82",
                                 "\xC0\xAF",      "\xED\xA0\x80", "\xF4\x90\x80\x80"};
    std::mt19937 rng(13);
    std::vector<sim::SwitchConfig> switches;
    std::map<std::string, std::string> nameOf;  // MAC text -> the system name it sends
    for (int i = 0; i < kCrowd; ++i) {
        if (i > 0) {
            ASSERT_TRUE(lab::Sh("ip -n " + crowd + " addr add 10.201.1." + std::to_string(100 + i) +
                                "/24 dev eth0"));
        }
        sim::SwitchConfig c;
        c.mac = {0x02, 0x50, 0x4D, 0x00, 0x01, static_cast<uint8_t>(i)};
        c.ip = *sim::ParseIp("10.201.1." + std::to_string(100 + i));
        c.iface = "eth0";
        std::string text = i < static_cast<int>(std::size(fixed)) ? fixed[i] : std::string();
        while (text.size() < 12)
            text.push_back(static_cast<char>(0x80 + rng() % 0x80));
        c.systemName = text;
        c.location = text;
        c.product = "QR_" + text;
        nameOf[FormatMac(c.mac.data())] = text;
        switches.push_back(c);
    }
    lab::SimThread sims(crowd, sim::SimOptions{}, switches);
    ASSERT_EQ(sims.Error(), "");

    const CliRun r = Cli("discover --json --wait 2");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto all = nlohmann::json::parse(r.out);
    EXPECT_EQ(all.size(), static_cast<size_t>(kCrowd) + 2) << r.out;  // nothing lost
    int decoded = 0;
    for (const auto& sw : all) {
        const auto it = nameOf.find(sw["mac_bare"]);
        if (it == nameOf.end())
            continue;
        EXPECT_EQ(sw["system_name"], DecodeDeviceText(it->second));
        EXPECT_EQ(sw["location"], DecodeDeviceText(it->second));
        EXPECT_EQ(sw["product_name_raw"], DecodeDeviceText("QR_" + it->second));
        ++decoded;
    }
    EXPECT_EQ(decoded, kCrowd);

    // The monitor's reports too, with the names the polled switches send.
    const std::string file = dir_.File("watch.cfg");
    WriteMonitorFile(file, {{"10.201.1.100", "02504d000100"}, {"10.201.1.101", "02504d000101"}});
    const CliRun m = Cli("monitor " + file + " --json --count 1 --refresh 1");
    ASSERT_EQ(m.exitCode, 0) << m.err;
    const auto tick = nlohmann::json::parse(m.out);
    ASSERT_EQ(tick["switches"].size(), 2u) << m.out;
    EXPECT_EQ(tick["switches"][0]["system_name"], DecodeDeviceText(nameOf.at("02504d000100")));
}

TEST_F(CliLab, AMonitorFileThatIsAFifoIsRefusedAtOnce) {
    const std::string fifo = dir_.File("watch.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    const CliRun r = Cli("monitor " + fifo + " --count 1");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(fifo + " is not a regular file"), std::string::npos) << r.err;
}

TEST_F(CliLab, UsageErrorsExitWithTwo) {
    for (const char* args : {"",
                             "discover --wait abc",
                             "discover --wait nan",
                             "discover --wait 601",
                             "discover --json --json-lines",
                             "set --password x",
                             "frobnicate",
                             "monitor",
                             "set --mac 02504d000001 --ip 10.201.1.10 --password x",
                             "set --mac zz --password x --name n",
                             "set --ip 10.201.1.10 --password x --new-ip 300.1.1.1",
                             "set --ip 10.201.1.10 --password x --mask 255.255.0",
                             "set --ip 10.201.1.10 --password x --group-interval 12a",
                             "set --ip 10.201.1.10 --name n",
                             "set --ip 10.201.1.10 --password x --password-file - --name n",
                             "set --ip 10.201.1.10 --password-file /no/such/file --name n",
                             "password --ip 10.201.1.10 --password x",
                             "monitor /dev/null --count -1",
                             "monitor /dev/null --count 99999999999",
                             "upgrade --ip 10.201.1.10 --image x --timeout 0"}) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.err;
        EXPECT_EQ(r.err.rfind("portmesa-cli: error: ", 0), 0u) << args << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << args;
    }
    const CliRun version = Cli("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("portmesa-cli ", 0), 0u) << version.out;
    const CliRun help = Cli("set --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--new-ip"), std::string::npos);
}

}  // namespace
}  // namespace pm
