// The TFTP transfer's speed under loss, over real sockets in a lab: a 256 KiB image with no
// loss and with 10 % loss each way (fixed seed), side by side with their ratio, to a
// simulated switch that answers at once and to one that takes 1 ms to store each block (as a
// switch writing flash might); then how long an unanswered write request and an unanswered
// block take to be given up.
//
//   lab_upgrade_bench [--runs N] [--no-give-up]
//
// Prints one line per measurement and a verdict per goal; exits 1 when a goal is missed or a
// transfer failed. Needs root (network namespaces). Run through scripts/bench-upgrade.
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Settings.h"
#include "base/WireConstants.h"
#include "inventory/DeviceLists.h"
#include "inventory/Selection.h"
#include "lab/support/Lab.h"
#include "net/InterfaceMonitor.h"
#include "net/LinuxInterfaceSource.h"
#include "net/SocketTable.h"
#include "protocol/UpgradeWatch.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "upgrade/TftpTransfer.h"
#include "upgrade/UpgradePackets.h"

namespace pm {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint16_t kBasePort = 4000;
constexpr char kGroup[] = "239.1.2.3";
constexpr char kSwitchCidr[] = "10.201.1.10/24";
constexpr char kSwitchIp[] = "10.201.1.10";
constexpr uint32_t kSeed = 11;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The socket table, counting the TFTP packets that leave.
class CountingTransport : public Transport {
  public:
    explicit CountingTransport(SocketTable& table) : table_(table) {}
    int SendBroadcast(uint8_t* p, size_t n) override { return table_.SendBroadcast(p, n); }
    int SendMulticast(uint8_t* p, size_t n) override { return table_.SendMulticast(p, n); }
    int SendToDevice(uint32_t a, uint8_t* p, size_t n) override {
        return table_.SendToDevice(a, p, n);
    }
    int SendTftp(uint32_t a, uint32_t m, const uint8_t* p, size_t n, uint16_t port) override {
        ++tftpSends;
        return table_.SendTftp(a, m, p, n, port);
    }
    int SendGroupReport(const uint8_t* p, size_t n) override {
        return table_.SendGroupReport(p, n);
    }
    int LastError() const override { return table_.LastError(); }
    bool AttachTftpWindow(std::function<void(int)> handler) override {
        return table_.AttachTftpWindow(std::move(handler));
    }
    int ReceiveFromEvent(int id, uint8_t* b, size_t c, uint32_t& from, uint16_t& port) override {
        return table_.ReceiveFromEvent(id, b, c, from, port);
    }
    int tftpSends = 0;

  private:
    SocketTable& table_;
};

struct Result {
    bool ok = false;
    std::string why;
    double ms = 0;       // write request to the last acknowledgement, or to the give-up
    int packets = 0;     // TFTP packets sent
    std::string status;  // the last status
};

enum class Mode { Transfer, SilentSwitch, SilentAfterTwoBlocks };

// One lab, one simulated switch and a bare transfer on the real sockets, all on the calling
// thread (which enters the manager namespace for the run).
Result Run(size_t imageSize, int lossPercent, Mode mode, int blockMs = 0) {
    Result r;
    lab::Lab lab;
    const std::string ns = lab.AddSwitch(0, kSwitchCidr);
    if (!lab.Ok())
        return r.why = "lab set-up failed", r;
    sim::SwitchConfig c;
    c.ip = *sim::ParseIp(kSwitchIp);
    c.iface = "eth0";
    c.requireTrigger = false;
    c.rebootMs = 0;
    c.lossPercent = lossPercent;
    c.tftpReplyLoss = lossPercent;
    c.seed = kSeed;
    c.tftpBlockMs = blockMs;
    c.silent = mode == Mode::SilentSwitch;
    sim::SimOptions options;
    options.basePort = kBasePort;
    options.group = kGroup;
    lab::SimThread sim(ns, options, {c});
    if (!sim.Error().empty())
        return r.why = sim.Error(), r;
    lab::EnterNamespace inManager(lab.Manager());
    // Never open the utility's sockets anywhere but in the lab's manager namespace.
    if (!inManager.Ok() || !sim::InNamedNetworkNamespace())
        return r.why = "cannot enter the manager namespace", r;

    test::FakeUi ui;
    test::TempDir dir;
    const std::string folder = dir.path().string();
    PollLoop loop;
    Settings settings;
    settings.base_port = kBasePort;
    settings.DerivePorts();
    std::strcpy(settings.multicast_group, kGroup);
    PosixSocketOps ops;
    LinuxInterfaceSource source;
    SocketTable table(ui, loop, settings, ops);
    InterfaceMonitor monitor(loop, source, table);
    monitor.Start();
    CountingTransport transport(table);
    DeviceLists lists;
    SelectionContext selection;
    UpgradeWatch watch;
    uint16_t sequence = 1;
    watch.targetAddress = c.ip;
    watch.targetMask = 0xFFFFFF00;
    std::vector<uint8_t> image(imageSize);
    std::mt19937 rng(static_cast<uint32_t>(imageSize));
    for (auto& b : image)
        b = static_cast<uint8_t>(rng());
    watch.firmwarePath = dir.File("bench.bin");
    {
        FILE* f = std::fopen(watch.firmwarePath.c_str(), "wb");
        std::fwrite(image.data(), 1, image.size(), f);
        std::fclose(f);
    }
    EventLogState eventLog;
    const UpgradeContext context{settings, lists, selection, watch,  sequence, transport,
                                 source,   loop,  ui,        folder, eventLog};

    bool ended = false;
    Clock::time_point lastAdvance;  // the last acknowledgement that moved the transfer on
    uint16_t block = 0;
    std::unique_ptr<TftpTransfer> transfer;
    TransferEvents events;
    events.status = [&](const std::string& text) {
        r.status = text;
        if (transfer && transfer->State().currentBlock > block) {
            block = transfer->State().currentBlock;
            lastAdvance = Clock::now();
            if (mode == Mode::SilentAfterTwoBlocks && block == 2)
                sim.Sim().Update(0, [](sim::SwitchConfig& s) { s.silent = true; });
        }
    };
    events.failed = [&](UpgradeOutcome outcome) {
        if (outcome != UpgradeOutcome::TftpSendFailed)
            ended = true;
    };
    transfer = std::make_unique<TftpTransfer>(context, events);
    transport.AttachTftpWindow([&](int id) {
        uint8_t buffer[kTftpReceiveSize];
        uint32_t from = 0;
        uint16_t port = 0;
        const int n = transport.ReceiveFromEvent(id, buffer, sizeof buffer, from, port);
        if (n >= 0)
            transfer->OnTftpDatagram(buffer, static_cast<size_t>(n), from);
    });

    const auto start = Clock::now();
    lastAdvance = start;
    if (transfer->StartTransfer() != 0)
        return r.why = "the transfer did not start", r;
    loop.RunUntil([&] { return ended || transfer->Finishing(); }, 120000);
    const auto end = Clock::now();
    r.packets = transport.tftpSends;
    if (mode == Mode::Transfer) {
        r.ok = transfer->Finishing() && sim.Sim().Image(0) == image;
        r.ms = Ms(end - start);
        if (!r.ok)
            r.why = "the image did not arrive intact (last status \"" + r.status + "\")";
    } else {
        r.ok = ended;
        r.ms = Ms(end - (mode == Mode::SilentSwitch ? start : lastAdvance));
        if (!r.ok)
            r.why = "never given up";
    }
    transfer->CancelSuccessPause();
    transport.AttachTftpWindow(nullptr);
    return r;
}

std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace
}  // namespace pm

int main(int argc, char** argv) {
    using namespace pm;
    int runs = 3;
    bool giveUp = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--no-give-up") == 0)
            giveUp = false;
    }
    if (!lab::CanBuildLabs()) {
        std::fprintf(stderr, "lab_upgrade_bench: needs root and the ip tool\n");
        return 2;
    }
    constexpr size_t kImage = 256 * 1024;
    const size_t blocks = kImage / kTftpBlockSize + 1;
    bool ok = true, goalsMet = true;
    std::string summary;

    // The two give-up paths take their full patience; they wait in labs of their own while
    // the transfers are measured.
    Result silentRequest, silentBlock;
    std::vector<std::thread> waits;
    if (giveUp) {
        waits.emplace_back([&] { silentRequest = Run(kImage, 0, Mode::SilentSwitch); });
        waits.emplace_back([&] { silentBlock = Run(kImage, 0, Mode::SilentAfterTwoBlocks); });
    }

    for (int blockMs : {0, 1}) {
        std::vector<double> lossless, lossy;
        for (int i = 0; i < runs && ok; ++i) {
            for (int loss : {0, 10}) {
                const Result r = Run(kImage, loss, Mode::Transfer, blockMs);
                if (!r.ok) {
                    std::printf("%d %% loss: FAILED: %s\n", loss, r.why.c_str());
                    ok = false;
                    break;
                }
                std::printf(
                    "switch storing a block in %d ms, run %d, %2d %% loss each way: %8.1f ms, "
                    "%4d packets for %zu blocks (%d resent)\n",
                    blockMs, i + 1, loss, r.ms, r.packets, blocks,
                    r.packets - static_cast<int>(blocks) - 1);
                (loss == 0 ? lossless : lossy).push_back(r.ms);
            }
        }
        if (!ok)
            break;
        const double a = Median(lossless), b = Median(lossy);
        const double ratio = a > 0 ? b / a : 0;
        const bool ratioOk = ratio <= 20, capOk = b <= 60000;
        summary += Format(
            "256 KiB, switch storing a block in %d ms, median of %d:   no loss %8.1f ms"
            "   10 %% loss each way (seed %u) %8.1f ms   ratio %5.1f   goals (<= 20 x, "
            "<= 60 s): %s, %s\n",
            blockMs, runs, a, kSeed, b, ratio, ratioOk ? "met" : "MISSED",
            capOk ? "met" : "MISSED");
        goalsMet = goalsMet && ratioOk && capOk;
    }
    for (auto& t : waits)
        t.join();
    std::printf("\n%s", summary.c_str());

    if (giveUp) {
        auto report = [&](const char* what, const Result& r, double floorMs) {
            if (!r.ok) {
                std::printf("%s: FAILED: %s\n", what, r.why.c_str());
                ok = false;
                return;
            }
            const bool kept = r.ms >= floorMs - 50;
            std::printf("%s: given up after %.1f s (%d packets), status \"%s\": %s\n", what,
                        r.ms / 1000, r.packets, r.status.c_str(),
                        kept ? "patience kept" : "TOO SOON");
            ok = ok && kept;
        };
        std::printf("\n");
        report("write request unanswered", silentRequest, kWriteRequestPatienceMs);
        report("block unanswered", silentBlock, kBlockPatienceMs);
    }
    return ok && goalsMet ? 0 : 1;
}
