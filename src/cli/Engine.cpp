#include "cli/Engine.h"

#include "app/SocketEvents.h"
#include "cli/Target.h"
#include "config/Validation.h"
#include "inventory/RowBuilders.h"
#include "protocol/Discover.h"
#include "storage/ConfigFolder.h"
#include "storage/SettingsFile.h"

namespace pm::cli {

Engine::Engine()
    : network_(ui, loop), program(ui, loop, network_.GetTransport(), network_.Interfaces()) {
    const ConfigFolders folders = ChooseConfigFolders(ThisProcessEnvironment());
    program.configFolder = folders.config;
    program.logFolder = folders.state;
    PrepareConfigFolders(ui, folders);
}

Engine::~Engine() {
    network_.Stop();
}

bool Engine::Start() {
    if (LoadSettings(program.ui, program.configFolder, program.settings) != 0) {
        ui.Notice(kAppWillFail, "Error", Icon::Error, Owner::MainWindow);
        return false;
    }
    CreateDiscoveryColumns(program.lists, program.settings);
    CreateMonitorColumns(program.lists, program.settings);
    return network_.Start(program.settings, [this](int eventId) {
        const auto outcome = OnDeviceSocketEvent(program, eventId);
        if (outcome && onDatagram)
            onDatagram(*outcome);
    });
}

bool Engine::DiscoverFor(uint64_t waitMs, const std::function<bool()>& stop) {
    if (Discover(program.lists, program.net, program.settings, program.ui) != 0)
        return false;
    loop.RunUntil([&] { return stop && stop(); }, waitMs);
    return true;
}

int Engine::StartWithTarget(const TargetOptions& t) {
    if (!Start())
        return -1;
    std::string mac;
    if (!t.mac.empty()) {
        const auto normal = NormaliseMac(t.mac);
        if (!normal) {
            ui.Notice("Invalid MAC address: " + t.mac, "Error", Icon::Error, Owner::NoWindow);
            return -1;
        }
        mac = *normal;
    } else if (!ParseAddress(t.ip)) {
        ui.Notice("Invalid IP address: " + t.ip, "Error", Icon::Error, Owner::NoWindow);
        return -1;
    }
    const auto found = [&] { return FindDiscovered(program, mac, t.ip) >= 0; };
    if (!DiscoverFor(static_cast<uint64_t>(t.waitSeconds * 1000.0), found))
        return -1;
    const int index = FindDiscovered(program, mac, t.ip);
    if (index < 0) {
        ui.Notice("No switch with " + (mac.empty() ? "address " + t.ip : "MAC " + mac) +
                      " answered the discovery",
                  "Error", Icon::Error, Owner::NoWindow);
        return -1;
    }
    program.selection.index = index;
    program.selection.list = ListKind::Discovery;
    program.selection.monitorCount = program.lists.monitorList.GetItemCount();
    program.selection.discoveryCount = program.lists.discoveryList.GetItemCount();
    return index;
}

}  // namespace pm::cli
