// check: one switch polled once, judged as a monitoring plugin. The switch becomes a monitor
// list of one, so its poll and reply are timed exactly as `monitor` times them.
#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/MonitorPolling.h"
#include "app/PluginCheck.h"
#include "app/ReplyTimes.h"
#include "base/AddressText.h"
#include "cli/Commands.h"
#include "cli/Engine.h"
#include "cli/Target.h"
#include "inventory/PollStep.h"
#include "storage/MonitorFile.h"

namespace pm::cli {
namespace {

int Finish(const CheckVerdict& v) {
    std::printf("%s\n", v.line.c_str());
    std::fflush(stdout);
    return v.ExitCode();
}

// A switch answers the discovery once per copy of the request (broadcast and multicast, on
// every interface that reaches it). The later copies are let in before the poll goes out, so
// that none of them is taken for the poll's answer: until 100 ms pass without a datagram.
void LetDiscoverySettle(Engine& e, const std::function<uint64_t()>& msLeft) {
    constexpr uint64_t kQuietMs = 100;
    size_t datagrams = 0;
    e.onDatagram = [&](const DatagramOutcome&) { ++datagrams; };
    for (;;) {
        const size_t before = datagrams;
        e.RunUntil([&] { return datagrams != before; }, std::min(kQuietMs, msLeft()));
        if (datagrams == before || msLeft() == 0)
            break;
    }
    e.onDatagram = nullptr;
}

}  // namespace

int CheckUsageError(const std::string& why) {
    return Finish(CheckUnknown(why));
}

int RunCheck(const CheckOptions& o) {
    std::string mac;
    std::optional<uint32_t> address;
    if (!o.mac.empty()) {
        const auto normal = NormaliseMac(o.mac);
        if (!normal)
            return Finish(CheckUnknown("invalid MAC address: " + o.mac));
        mac = *normal;
    } else if (!(address = ParseAddress(o.ip))) {
        return Finish(CheckUnknown("invalid IP address: " + o.ip));
    }

    Engine e;
    if (!e.Start())
        return Finish(CheckUnknown("the settings could not be loaded"));
    Program& p = e.program;
    const uint64_t deadlineUs = p.loop.NowUs() + static_cast<uint64_t>(o.timeoutSeconds * 1e6);
    const std::function<uint64_t()> msLeft = [&]() -> uint64_t {
        const uint64_t now = p.loop.NowUs();
        return now < deadlineUs ? (deadlineUs - now + 999) / 1000 : 0;
    };

    DeviceRecord target;
    if (!mac.empty()) {
        const auto found = [&] { return FindDiscovered(p, mac, "") >= 0; };
        if (!e.DiscoverFor(msLeft(), found))
            return Finish(CheckUnknown("the discovery request could not be sent"));
        const int index = FindDiscovered(p, mac, "");
        if (index < 0)
            return Finish(CheckSilent("MAC " + mac, o.timeoutSeconds));
        target = p.lists.discovery[static_cast<size_t>(index)];
        LetDiscoverySettle(e, msLeft);
    } else {
        SetText(target.ip_text, AddressToText(*address));
        target.ip = *address;
        target.status_mark = kStatusAlive;
    }
    AddLoadedRecords(p.lists, p.settings, p.ui, {target});
    DeviceRecord& entry = p.lists.monitor[0];
    const std::string ip(TextOf(entry.ip_text));

    ReplyTimes times;
    const auto observe = [&] { times.Observe(p.lists, p.loop.NowUs(), p.wallClock()); };
    observe();
    uint8_t request[40];
    BuildPollRequest(p, request);
    PollStep(entry);
    if (p.net.SendToDevice(entry.ip, request, sizeof request) < 0)
        return Finish(CheckUnknown("the poll could not be sent to " + ip));
    observe();
    const bool answered = e.RunUntil(
        [&] {
            observe();
            return times.Of(ip).replyUs.has_value();
        },
        msLeft());
    if (!answered)
        return Finish(CheckSilent(mac.empty() ? ip : "MAC " + mac + " at " + ip, o.timeoutSeconds));
    return Finish(CheckAnswered(entry, *times.Of(ip).replyUs, {o.warningMs, o.criticalMs}));
}

}  // namespace pm::cli
