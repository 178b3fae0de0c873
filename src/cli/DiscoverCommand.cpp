#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/Commands.h"
#include "cli/DeviceJson.h"
#include "cli/Engine.h"
#include "cli/TextTable.h"
#include "storage/DiscoveredList.h"

namespace pm::cli {
namespace {

void RefuseToReplace(Ui& ui, const std::string& path) {
    ui.Notice(path + " exists already; --force replaces it", "Error", Icon::Error, Owner::NoWindow);
}

int SaveDiscovered(const Program& p, Ui& ui, const DiscoverOptions& o) {
    const FileWriteResult r = SaveDiscoveredAsMonitorList(
        p.lists, p.settings, ui, o.saveFile, o.force ? ExistingFile::Replace : ExistingFile::Keep);
    if (r.kind == FileWriteResult::Kind::Exists)
        RefuseToReplace(ui, o.saveFile);
    else if (!r.Ok())
        ui.Notice("Cannot write " + o.saveFile + ": " + std::strerror(r.error), "Error",
                  Icon::Error, Owner::NoWindow);
    return r.Ok() ? 0 : 1;
}

}  // namespace

int RunDiscover(const DiscoverOptions& o) {
    Engine e;
    // Refused before the search as well as at the write, which cannot race.
    struct stat st {};
    if (!o.saveFile.empty() && !o.force && ::lstat(o.saveFile.c_str(), &st) == 0) {
        RefuseToReplace(e.ui, o.saveFile);
        return 1;
    }
    if (!e.Start())
        return 1;
    if (!e.DiscoverFor(static_cast<uint64_t>(o.waitSeconds * 1000.0)))
        return 1;
    const Program& p = e.program;
    const int n = p.lists.discoveryList.GetItemCount();
    if (o.json || o.jsonLines) {
        // Sorted by MAC, so that two runs over the same switches print the same.
        std::vector<const DeviceRecord*> found;
        for (int i = 0; i < n && i < static_cast<int>(kTableSize); ++i)
            found.push_back(&p.lists.discovery[static_cast<size_t>(i)]);
        std::stable_sort(found.begin(), found.end(), [](const auto* a, const auto* b) {
            return TextOf(a->mac_text) < TextOf(b->mac_text);
        });
        nlohmann::json all = nlohmann::json::array();
        for (const DeviceRecord* r : found)
            all.push_back(DeviceToJson(*r, p.settings.multicast_interface_on_off == 1));
        if (o.jsonLines)
            for (const auto& one : all)
                std::printf("%s\n", one.dump().c_str());
        else
            std::printf("%s\n", all.dump(2).c_str());
    } else {
        std::fputs(FormatTable(p.lists.discoveryList).c_str(), stdout);
    }
    std::fflush(stdout);
    if (!o.saveFile.empty())
        return SaveDiscovered(p, e.ui, o);
    return 0;
}

}  // namespace pm::cli
