// "Monitor load" over arbitrary file bytes: records are checked and added without ever
// breaking the monitor table's invariants.
#include <cstdlib>
#include <set>
#include <string>

#include "inventory/RowBuilders.h"
#include "storage/MonitorFile.h"
#include "support/MonitoredDevices.h"
#include "support/TestProgram.h"

namespace {

pm::test::TestProgram& Fixture() {
    static pm::test::TestProgram* t = [] {
        auto* fresh = new pm::test::TestProgram;
        pm::CreateDiscoveryColumns(fresh->program.lists, fresh->program.settings);
        pm::CreateMonitorColumns(fresh->program.lists, fresh->program.settings);
        return fresh;
    }();
    return *t;
}

}  // namespace

extern "C" size_t PortmesaFuzzSeed(size_t index, std::vector<uint8_t>& out) {
    if (index >= 2)
        return 0;
    std::vector<pm::DeviceRecord> records{pm::test::MakeDevice("10.1.0.20", 20),
                                          pm::test::MakeDevice("10.1.0.30", 30),
                                          pm::test::MakeDevice("10.1.0.31", 31)};
    records.resize(index == 0 ? 3 : 1);
    out.resize(records.size() * pm::kRecordSize);
    for (size_t k = 0; k < records.size(); ++k)
        pm::EncodeRecord(records[k],
                         std::span(out).subspan(k * pm::kRecordSize).first<pm::kRecordSize>());
    return out.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& t = Fixture();
    pm::Program& p = t.program;
    p.lists.monitorList.DeleteItems(pm::kStateAny);
    p.lists.monitor.fill(pm::DeviceRecord{});
    t.ui.Clear();
    pm::test::AddMonitored(p, pm::test::MakeDevice("10.1.0.20", 20));

    auto records = pm::ParseMonitorFile(std::span<const uint8_t>(data, size));
    if ((size % pm::kRecordSize == 0) != records.has_value())
        std::abort();
    if (!records)
        return 0;
    pm::AddLoadedRecords(p.lists, p.settings, p.ui, std::move(*records));

    const int rows = p.lists.monitorList.GetItemCount(pm::kStateAny);
    if (rows > static_cast<int>(pm::kTableSize))
        std::abort();
    std::set<std::string> addresses;
    for (int r = 0; r < rows; ++r)
        if (!addresses
                 .insert(std::string(pm::TextOf(p.lists.monitor[static_cast<size_t>(r)].ip_text)))
                 .second)
            std::abort();
    return 0;
}
