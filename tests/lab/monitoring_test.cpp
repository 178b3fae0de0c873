// The monitoring exports of portmesa-cli against simulated switches in a lab: the metrics
// file and the /metrics endpoint while a switch falls silent and comes back, the plugin
// check's exit codes, and discover --save read back by monitor. The program runs inside the
// manager namespace from a scratch folder with its own cfg/; the endpoint is fetched on that
// namespace's own loopback.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "inventory/DeviceRecord.h"
#include "lab/support/CliRun.h"
#include "lab/support/Lab.h"
#include "storage/DefaultSettings.h"
#include "storage/SettingsFile.h"
#include "support/TempDir.h"

namespace pm {
namespace {

using lab::CliRun;
using lab::ExecutableFolder;
using lab::ReadAll;

using nlohmann::json;

// Parses an exposition (a file, or a URL fetched in the namespace) with prometheus_client's
// own parser and prints what it found as JSON; exits non-zero when it does not parse.
constexpr const char* kParser = R"(import json, sys, urllib.request
from prometheus_client.parser import text_string_to_metric_families
src = sys.argv[1]
if src.startswith("http://"):
    with urllib.request.urlopen(src, timeout=5) as r:
        text = r.read().decode("utf-8")
        kind = r.headers.get("Content-Type", "")
else:
    text = open(src, encoding="utf-8").read()
    kind = ""
families, samples = {}, []
for f in text_string_to_metric_families(text):
    families[f.name] = {"type": f.type, "help": f.documentation}
    for s in f.samples:
        samples.append({"name": s.name, "labels": s.labels, "value": s.value})
print(json.dumps({"families": families, "samples": samples, "content_type": kind}))
)";

constexpr const char* kPort = "9877";

class MonitoringLab : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!lab::CanBuildLabs())
            GTEST_SKIP() << "lab tests need root and the ip tool";
        if (!std::filesystem::exists("/usr/bin/python3") ||
            std::system("/usr/bin/python3 -c 'import prometheus_client' 2>/dev/null") != 0)
            GTEST_SKIP() << "needs python3-prometheus-client";
        const std::string source = ExecutableFolder() + "/portmesa-cli";
        ASSERT_TRUE(std::filesystem::exists(source)) << source;
        std::filesystem::copy_file(source, dir_.File("portmesa-cli"));
        std::filesystem::create_directory(dir_.File("cfg"));
        const auto settings = BuildSettingsFile(DefaultSettings());
        std::ofstream(dir_.File("cfg/define.ecf"), std::ios::binary)
            .write(reinterpret_cast<const char*>(settings.data()),
                   static_cast<std::streamsize>(settings.size()));
        std::ofstream(dir_.File("parse.py")) << kParser;

        lab_ = std::make_unique<lab::Lab>();
        const std::string ns1 = lab_->AddSwitch(0, "10.201.1.10/24");
        const std::string ns2 = lab_->AddSwitch(1, "10.202.1.20/24");
        ASSERT_TRUE(lab_->Ok());
        sim::SwitchConfig a;
        a.mac = {0x02, 0x50, 0x4D, 0x00, 0x00, 0x01};
        a.ip = *sim::ParseIp("10.201.1.10");
        a.product = "PMS-2208";
        a.systemName = "core-a";
        a.password = "secret";
        a.iface = "eth0";
        sim::SwitchConfig b = a;
        b.mac = {0x02, 0x50, 0x4D, 0x00, 0x00, 0x02};
        b.ip = *sim::ParseIp("10.202.1.20");
        b.systemName = "edge \"b\"";
        sim1_ = std::make_unique<lab::SimThread>(ns1, sim::SimOptions{},
                                                 std::vector<sim::SwitchConfig>{a});
        sim2_ = std::make_unique<lab::SimThread>(ns2, sim::SimOptions{},
                                                 std::vector<sim::SwitchConfig>{b});
        ASSERT_EQ(sim1_->Error(), "");
        ASSERT_EQ(sim2_->Error(), "");
    }

    void TearDown() override {
        if (monitorPid_ > 0) {
            ::kill(monitorPid_, SIGKILL);
            ::waitpid(monitorPid_, nullptr, 0);
        }
    }

    std::string InManager(const std::string& command) const {
        return "timeout 60 ip netns exec " + lab_->Manager() + " " + command;
    }

    CliRun Cli(const std::string& args) {
        const std::string out = dir_.File("out.txt"), err = dir_.File("err.txt");
        const std::string command =
            InManager(dir_.File("portmesa-cli") + " " + args) + " >" + out + " 2>" + err;
        const int status = std::system(command.c_str());
        CliRun r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadAll(out);
        r.err = ReadAll(err);
        return r;
    }

    // The monitor in the background, until StopMonitor.
    void StartMonitor(const std::string& args) {
        const std::string command = "exec " + InManager(dir_.File("portmesa-cli") + " " + args) +
                                    " >" + dir_.File("monitor.out") + " 2>" +
                                    dir_.File("monitor.err");
        monitorPid_ = ::fork();
        if (monitorPid_ == 0) {
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(monitorPid_, 0);
    }
    int StopMonitor() {
        ::kill(monitorPid_, SIGTERM);  // timeout passes it on to the program
        int status = 0;
        ::waitpid(monitorPid_, &status, 0);
        monitorPid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The parsed exposition, or null when it could not be read or parsed.
    json Parse(const std::string& source, bool inManager) {
        const std::string out = dir_.File("parsed.json");
        std::string command = "/usr/bin/python3 " + dir_.File("parse.py") + " " + source;
        if (inManager)
            command = InManager(command);
        if (std::system((command + " >" + out + " 2>" + dir_.File("parse.err")).c_str()) != 0)
            return nullptr;
        return json::parse(ReadAll(out), nullptr, false);
    }
    json FromFile() { return Parse(dir_.File("metrics/portmesa.prom"), false); }
    json FromEndpoint() {
        return Parse(std::string("http://127.0.0.1:") + kPort + "/metrics", true);
    }

    // The value of a switch's sample, or -1 when there is none.
    static double Sample(const json& exposition, const std::string& name, const std::string& ip) {
        if (exposition.is_null())
            return -1;
        for (const auto& s : exposition["samples"])
            if (s["name"] == name && s["labels"].value("ip", "") == ip)
                return s["value"].get<double>();
        return -1;
    }

    // Waits (at most timeoutS, checking five times a second) until both exports show the
    // switch's portmesa_switch_up as wanted.
    bool WaitForUp(const std::string& ip, double wanted, int timeoutS) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutS);
        while (std::chrono::steady_clock::now() < end) {
            if (Sample(FromFile(), "portmesa_switch_up", ip) == wanted &&
                Sample(FromEndpoint(), "portmesa_switch_up", ip) == wanted)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    }

    void WriteMonitorFile(const std::string& path, const std::string& ip, const std::string& mac) {
        DeviceRecord r;
        SetText(r.ip_text, ip);
        SetText(r.mac_text, mac);
        SetText(r.system_name, "core-a");
        r.ip = *sim::ParseIp(ip);
        r.status_mark = -1;
        std::array<uint8_t, kRecordSize> bytes{};
        EncodeRecord(r, bytes);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    test::TempDir dir_;
    std::unique_ptr<lab::Lab> lab_;
    std::unique_ptr<lab::SimThread> sim1_, sim2_;
    pid_t monitorPid_ = -1;
};

TEST_F(MonitoringLab, MetricsFileAndEndpointFollowASwitchDownAndBackUp) {
    const std::string list = dir_.File("watch.cfg");
    WriteMonitorFile(list, "10.201.1.10", "02504d000001");
    std::filesystem::create_directory(dir_.File("metrics"));
    StartMonitor("monitor " + list + " --refresh 1 --metrics-file " +
                 dir_.File("metrics/portmesa.prom") + " --listen " + kPort);

    ASSERT_TRUE(WaitForUp("10.201.1.10", 1, 10)) << ReadAll(dir_.File("monitor.err"));
    const json first = FromEndpoint();
    ASSERT_FALSE(first.is_null());
    EXPECT_EQ(first["content_type"], "text/plain; version=0.0.4; charset=utf-8");
    const std::map<std::string, std::string> families{
        {"portmesa_switch_up", "gauge"},
        {"portmesa_switch_missed_polls", "gauge"},
        {"portmesa_switch_last_reply_timestamp_seconds", "gauge"},
        {"portmesa_switch_reply_seconds", "gauge"},
        {"portmesa_poll_ticks", "counter"}};  // the parser names a counter without _total
    for (const auto& [name, type] : families) {
        ASSERT_TRUE(first["families"].contains(name)) << first.dump();
        EXPECT_EQ(first["families"][name]["type"], type) << name;
        EXPECT_NE(first["families"][name]["help"], "") << name;
    }
    for (const auto& s : first["samples"]) {
        if (s["name"] != "portmesa_poll_ticks_total") {
            EXPECT_EQ(s["labels"],
                      (json{{"mac", "02504d000001"}, {"ip", "10.201.1.10"}, {"name", "core-a"}}));
        }
    }

    sim1_->Sim().Update(0, [](sim::SwitchConfig& c) { c.silent = true; });
    ASSERT_TRUE(WaitForUp("10.201.1.10", 0, 15));
    const json down = FromFile();
    EXPECT_GE(Sample(down, "portmesa_switch_missed_polls", "10.201.1.10"), 3);
    const double lastReply =
        Sample(down, "portmesa_switch_last_reply_timestamp_seconds", "10.201.1.10");
    EXPECT_GT(lastReply, 1.7e9);

    sim1_->Sim().Update(0, [](sim::SwitchConfig& c) { c.silent = false; });
    ASSERT_TRUE(WaitForUp("10.201.1.10", 1, 10));
    const json back = FromEndpoint();
    const double rtt = Sample(back, "portmesa_switch_reply_seconds", "10.201.1.10");
    EXPECT_GT(rtt, 0);
    EXPECT_LT(rtt, 0.5);
    EXPECT_GT(Sample(back, "portmesa_switch_last_reply_timestamp_seconds", "10.201.1.10"),
              lastReply);
    EXPECT_GE(Sample(back, "portmesa_poll_ticks_total", ""), 4);

    EXPECT_EQ(StopMonitor(), 0) << ReadAll(dir_.File("monitor.err"));
    // Only the collector's file is left in its folder: no temporary file.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.File("metrics")))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"portmesa.prom"});
}

TEST_F(MonitoringLab, ListenRefusesAnAddressInUse) {
    // Another server holds the port (a second monitor could not run beside the first: the
    // instance lock refuses it before it listens).
    const std::string ready = dir_.File("holder.ready");
    const std::string holder =
        "exec " + InManager(
                      "/usr/bin/python3 -c \"import socket, sys, time; "
                      "s = socket.socket(); s.bind(('127.0.0.1', " +
                      std::string(kPort) +
                      ")); s.listen(); open(sys.argv[1], 'w').close(); time.sleep(30)\" " + ready);
    monitorPid_ = ::fork();
    if (monitorPid_ == 0) {
        ::execl("/bin/sh", "sh", "-c", holder.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(monitorPid_, 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(ready) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(std::filesystem::exists(ready));

    const std::string list = dir_.File("watch.cfg");
    WriteMonitorFile(list, "10.201.1.10", "02504d000001");
    const CliRun second = Cli("monitor " + list + " --count 1 --listen 127.0.0.1:" + kPort);
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("Cannot listen on 127.0.0.1:9877"), std::string::npos) << second.err;
    StopMonitor();  // the holder: timeout hands it the signal
}

TEST_F(MonitoringLab, CheckExitCodesFollowThePluginConventions) {
    sim2_->Sim().Update(0, [](sim::SwitchConfig& c) { c.silent = true; });
    struct Case {
        std::string args;
        int exitCode;
        std::string start;
    };
    const Case cases[] = {
        {"--ip 10.201.1.10", 0, "PORTMESA OK - core-a (02504d000001) answered in "},
        {"--mac 02:50:4d:00:00:01 --warning 500 --critical 1000", 0, "PORTMESA OK - core-a"},
        {"--mac 02504D000001 --warning 0", 1, "PORTMESA WARNING - core-a (02504d000001)"},
        {"--ip 10.201.1.10 --warning 0 --critical 0", 2, "PORTMESA CRITICAL - core-a"},
        {"--ip 10.202.1.20 --timeout 1", 2,
         "PORTMESA CRITICAL - no answer from 10.202.1.20 within 1 s"},
        {"--mac 02504d000002 --timeout 1", 2,
         "PORTMESA CRITICAL - no answer from MAC 02504d000002 within 1 s"},
        {"", 3, "PORTMESA UNKNOWN - "},
        {"--ip 10.201.1.10 --mac 02504d000001", 3, "PORTMESA UNKNOWN - "},
        {"--ip 10.201.1.10 --warning abc", 3, "PORTMESA UNKNOWN - "},
        {"--ip 10.201.1.10 --critical -1", 3, "PORTMESA UNKNOWN - "},
        {"--ip 10.201.1.10 --timeout 0", 3, "PORTMESA UNKNOWN - "},
        {"--ip 10.201.1.10 --bogus", 3, "PORTMESA UNKNOWN - "},
        {"--ip 10.201.1.300", 3, "PORTMESA UNKNOWN - invalid IP address: 10.201.1.300"},
        {"--mac 02504d00000", 3, "PORTMESA UNKNOWN - invalid MAC address: 02504d00000"},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli("check " + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.out << r.err;
        EXPECT_EQ(r.out.rfind(c.start, 0), 0u) << c.args << "\n" << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << c.args << "\n" << r.out;
        if (c.exitCode < 2) {
            EXPECT_NE(r.out.find(" | rtt="), std::string::npos) << r.out;
        }
    }

    // Without settings there is nothing to check with.
    std::filesystem::rename(dir_.File("cfg/define.ecf"), dir_.File("define.ecf"));
    const CliRun unset = Cli("check --ip 10.201.1.10");
    EXPECT_EQ(unset.exitCode, 3);
    EXPECT_EQ(unset.out, "PORTMESA UNKNOWN - the settings could not be loaded\n");
    std::filesystem::rename(dir_.File("define.ecf"), dir_.File("cfg/define.ecf"));

    // The other commands keep their own usage exit code.
    EXPECT_EQ(Cli("discover --bogus").exitCode, 2);
}

TEST_F(MonitoringLab, DiscoverSaveWritesAListThatMonitorReadsBack) {
    const std::string saved = dir_.File("found.cfg");
    const CliRun found = Cli("discover --wait 1.5 --save " + saved);
    ASSERT_EQ(found.exitCode, 0) << found.err;
    const std::string bytes = ReadAll(saved);
    ASSERT_EQ(bytes.size(), 2 * kRecordSize);

    const CliRun again = Cli("discover --wait 0.5 --save " + saved);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("exists already; --force replaces it"), std::string::npos)
        << again.err;
    EXPECT_EQ(ReadAll(saved), bytes);
    EXPECT_EQ(Cli("discover --wait 0.5 --force").exitCode, 2);  // --force needs --save
    const CliRun forced = Cli("discover --wait 1.5 --json --save " + saved + " --force");
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(ReadAll(saved).size(), 2 * kRecordSize);

    const CliRun watched = Cli("monitor " + saved + " --json --count 2 --refresh 1");
    ASSERT_EQ(watched.exitCode, 0) << watched.err;
    const std::string lastLine =
        watched.out.substr(watched.out.rfind('\n', watched.out.size() - 2) + 1);
    const json last = json::parse(lastLine)["switches"];
    ASSERT_EQ(last.size(), 2u) << watched.out;
    std::set<std::string> macs;
    for (const auto& sw : last) {
        macs.insert(sw["mac_bare"]);
        EXPECT_EQ(sw["state"], "alive");
    }
    EXPECT_EQ(macs, (std::set<std::string>{"02504d000001", "02504d000002"}));
}

}  // namespace
}  // namespace pm
