#include "cli/Engine.h"

#include "inventory/RowBuilders.h"
#include "protocol/Discover.h"
#include "protocol/HandleDatagram.h"
#include "protocol/ProtocolConstants.h"
#include "storage/ConfigFolder.h"
#include "storage/SettingsFile.h"

namespace pm::cli {

Engine::Engine()
    : table_(ui, loop, tableSettings_, ops_),
      program(ui, loop, table_, source_),
      monitor_(loop, source_, table_) {
    program.configFolder = ConfigFolderPath();
}

Engine::~Engine() {
    monitor_.Stop();
    table_.CloseAll();
}

bool Engine::Start() {
    if (LoadSettings(program) != 0) {
        ui.Notice(kAppWillFail, "Error", Icon::Error, Owner::MainWindow);
        return false;
    }
    tableSettings_ = program.settings;
    CreateDiscoveryColumns(program);
    CreateMonitorColumns(program);
    table_.SetNotifyHandler([this](int eventId) {
        uint8_t buffer[kMaxDatagram] = {};
        uint32_t from = 0;
        uint16_t port = 0;
        const int n = table_.ReceiveFromEvent(eventId, buffer, sizeof buffer, from, port);
        if (n >= 0)
            HandleDatagram(program, buffer, static_cast<size_t>(n), from);
    });
    monitor_.Start();
    return true;
}

bool Engine::DiscoverFor(uint64_t waitMs, const std::function<bool()>& stop) {
    if (Discover(program) != 0)
        return false;
    loop.RunUntil([&] { return stop && stop(); }, waitMs);
    return true;
}

}  // namespace pm::cli
