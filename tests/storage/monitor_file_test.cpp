// The monitor list file: byte-for-byte round trips, the start-up restore, "Monitor load"
// with its checks, and the file dialogs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "inventory/RowBuilders.h"
#include "storage/GuardedFifo.h"
#include "storage/MonitorFile.h"
#include "storage/RegularFile.h"
#include "support/FileSizeLimit.h"
#include "support/MonitoredDevices.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

using test::AddMonitored;
using test::MakeDevice;

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> FileOf(const std::vector<DeviceRecord>& records) {
    std::vector<uint8_t> bytes(records.size() * kRecordSize);
    for (size_t k = 0; k < records.size(); ++k)
        EncodeRecord(records[k], std::span(bytes).subspan(k * kRecordSize).first<kRecordSize>());
    return bytes;
}

class MonitorFileTest : public ::testing::Test {
  protected:
    MonitorFileTest() { Columns(t.program); }
    static void Columns(Program& p) {
        CreateDiscoveryColumns(p.lists, p.settings);
        CreateMonitorColumns(p.lists, p.settings);
    }
    std::string DefaultPath() const { return MonitorFilePath(t.program.configFolder); }
    std::vector<std::string> ListedAddresses(const Program& p) const {
        std::vector<std::string> out;
        for (int r = 0; r < p.lists.monitorList.GetItemCount(kStateAny); ++r)
            out.push_back(p.lists.monitorList.GetItemText(r, kMonIp));
        return out;
    }

    test::TestProgram t;
    Program& p = t.program;
};

TEST_F(MonitorFileTest, SaveWritesTheListedEntriesAndRestoreReadsThemBackByteForByte) {
    const std::vector<DeviceRecord> devices{MakeDevice("10.1.0.11", 1), MakeDevice("10.1.0.12", 2),
                                            MakeDevice("10.1.0.13", 3)};
    for (const auto& d : devices)
        AddMonitored(p, d);
    p.lists.monitor[3] = MakeDevice("10.1.0.99", 9);  // beyond the list: not saved

    ASSERT_EQ(SaveMonitorList(p.lists, p.ui, DefaultPath()), 0);
    const auto saved = ReadFile(DefaultPath());
    ASSERT_EQ(saved.size(), 876u);
    std::vector<DeviceRecord> entries(p.lists.monitor.begin(), p.lists.monitor.begin() + 3);
    EXPECT_EQ(saved, FileOf(entries));

    test::TestProgram next;
    next.program.configFolder = p.configFolder;
    Columns(next.program);
    RestoreMonitorList(next.program.lists, next.program.settings, next.program.ui,
                       next.program.configFolder);
    EXPECT_TRUE(next.ui.messages.empty());
    EXPECT_EQ(ListedAddresses(next.program),
              (std::vector<std::string>{"10.1.0.11", "10.1.0.12", "10.1.0.13"}));
    ASSERT_EQ(SaveMonitorList(next.program.lists, next.program.ui, t.dir.File("again.cfg")), 0);
    EXPECT_EQ(ReadFile(t.dir.File("again.cfg")), saved);
}

TEST_F(MonitorFileTest, NoPasswordIsWrittenWhateverTheTableHolds) {
    DeviceRecord d = MakeDevice("10.1.0.11", 1);
    SetText(d.password, "TopSecret1");
    SetText(d.new_password, "Newer2");
    AddMonitored(p, d);
    ASSERT_EQ(SaveMonitorList(p.lists, p.ui, DefaultPath()), 0);
    const auto saved = ReadFile(DefaultPath());
    ASSERT_EQ(saved.size(), kRecordSize);
    const std::string bytes(saved.begin(), saved.end());
    EXPECT_EQ(bytes.find("TopSecret1"), std::string::npos);
    EXPECT_EQ(bytes.find("Newer2"), std::string::npos);
    // The layout stays: both fields are there, all zero; the rest is the record.
    DeviceRecord expected = p.lists.monitor[0];
    SetText(expected.password, "");
    SetText(expected.new_password, "");
    EXPECT_EQ(saved, FileOf({expected}));
}

TEST_F(MonitorFileTest, EmptyListSavesAnEmptyFileThatRestoresSilently) {
    ASSERT_EQ(SaveMonitorList(p.lists, p.ui, DefaultPath()), 0);
    EXPECT_EQ(std::filesystem::file_size(DefaultPath()), 0u);
    RestoreMonitorList(p.lists, p.settings, p.ui, p.configFolder);
    EXPECT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 0);
    EXPECT_TRUE(t.ui.messages.empty());
    // A missing file is no error either.
    std::filesystem::remove(DefaultPath());
    RestoreMonitorList(p.lists, p.settings, p.ui, p.configFolder);
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(MonitorFileTest, SizeNotAMultipleOfARecordIsAConfigFileError) {
    auto bytes = FileOf({MakeDevice("10.1.0.11", 1)});
    bytes.push_back(0);  // 293 bytes
    WriteFile(DefaultPath(), bytes);
    WriteFile(t.dir.File("odd.cfg"), bytes);

    p.lists.monitor[0] = MakeDevice("10.1.0.50", 50);  // left over: the failed restore clears it
    RestoreMonitorList(p.lists, p.settings, p.ui, p.configFolder);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Config File Error"});
    EXPECT_EQ(t.ui.messages[0].caption, "Error");
    EXPECT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 0);
    EXPECT_EQ(p.lists.monitor[0], DeviceRecord{});

    t.ui.Clear();
    AddMonitored(p, MakeDevice("10.1.0.12", 2));
    const DeviceTable before = p.lists.monitor;
    EXPECT_EQ(LoadMonitorListFrom(p.lists, p.settings, p.ui, t.dir.File("odd.cfg")), -1);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Config File Error"});
    EXPECT_EQ(p.lists.monitor, before);
    EXPECT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 1);
}

TEST_F(MonitorFileTest, PollFieldsAreResetAndTheStatusMarkNormalisedOnlyAtStartUp) {
    struct Case {
        int32_t stored;
        int32_t restored;
        int32_t loaded;
    };
    for (const Case c : {Case{0, -1, 0}, Case{1, 1, 1}, Case{-1, -1, -1}, Case{7, -1, 7}}) {
        DeviceRecord d = MakeDevice("10.1.0.20", 20);
        d.status_mark = c.stored;
        d.row_flag = 1;
        d.missed_polls = 5;
        d.answered = 0;
        WriteFile(DefaultPath(), FileOf({d}));

        test::TestProgram atStart;
        atStart.program.configFolder = p.configFolder;
        Columns(atStart.program);
        RestoreMonitorList(atStart.program.lists, atStart.program.settings, atStart.program.ui,
                           atStart.program.configFolder);
        const DeviceRecord& r = atStart.program.lists.monitor[0];
        EXPECT_EQ(r.status_mark, c.restored) << c.stored;
        EXPECT_EQ(r.missed_polls, 0);
        EXPECT_EQ(r.answered, 1);

        test::TestProgram byMenu;
        Columns(byMenu.program);
        ASSERT_EQ(LoadMonitorListFrom(byMenu.program.lists, byMenu.program.settings,
                                      byMenu.program.ui, DefaultPath()),
                  0);
        EXPECT_EQ(byMenu.program.lists.monitor[0].status_mark, c.loaded) << c.stored;
        EXPECT_EQ(byMenu.program.lists.monitor[0].missed_polls, 0);
        EXPECT_EQ(byMenu.program.lists.monitor[0].answered, 1);
    }
}

TEST_F(MonitorFileTest, LoadSkipsDuplicatesWithAWarningEach) {
    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    AddMonitored(p, MakeDevice("10.1.0.12", 2));
    ASSERT_EQ(SaveMonitorList(p.lists, p.ui, t.dir.File("same.cfg")), 0);

    // The file just saved over the same list adds nothing: one warning per record.
    ASSERT_EQ(LoadMonitorListFrom(p.lists, p.settings, p.ui, t.dir.File("same.cfg")), 0);
    EXPECT_EQ(t.ui.Texts(), (std::vector<std::string>{"Duplicate ip in monitor list",
                                                      "Duplicate ip in monitor list"}));
    EXPECT_EQ(t.ui.messages[0].caption, "Warning");
    EXPECT_EQ(t.ui.messages[0].icon, Icon::Warning);
    EXPECT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 2);

    // A device twice in one file goes in once; a known MAC under a new address is refused.
    t.ui.Clear();
    const DeviceRecord fresh = MakeDevice("10.1.0.30", 30);
    DeviceRecord movedDevice = MakeDevice("10.1.0.31", 1);  // MAC of the first listed device
    WriteFile(t.dir.File("mixed.cfg"), FileOf({fresh, fresh, movedDevice}));
    ASSERT_EQ(LoadMonitorListFrom(p.lists, p.settings, p.ui, t.dir.File("mixed.cfg")), 0);
    EXPECT_EQ(t.ui.Texts(), (std::vector<std::string>{"Duplicate ip in monitor list",
                                                      "Duplicate device in monitor list"}));
    EXPECT_EQ(ListedAddresses(p),
              (std::vector<std::string>{"10.1.0.11", "10.1.0.12", "10.1.0.30"}));
    EXPECT_EQ(TextOf(p.lists.monitor[2].mac_text), TextOf(fresh.mac_text));
}

TEST_F(MonitorFileTest, LoadStopsAtTheTableSize) {
    for (int i = 0; i < 255; ++i)
        AddMonitored(
            p,
            MakeDevice("10.2." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1), i));
    std::vector<DeviceRecord> more;
    for (int i = 0; i < 3; ++i) {
        DeviceRecord d = MakeDevice("10.3.0." + std::to_string(i + 1), 0);
        SetText(d.mac_text, "aabbccddee0" + std::to_string(i));
        more.push_back(d);
    }
    WriteFile(t.dir.File("more.cfg"), FileOf(more));
    ASSERT_EQ(LoadMonitorListFrom(p.lists, p.settings, p.ui, t.dir.File("more.cfg")), 0);
    EXPECT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 256);
    EXPECT_EQ(TextOf(p.lists.monitor[255].ip_text), "10.3.0.1");
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"out of 256 device in monitor list"});
}

// n distinct devices, 10.4.x.y, each with its own MAC.
std::vector<DeviceRecord> ManyDevices(int n) {
    std::vector<DeviceRecord> out;
    for (int i = 0; i < n; ++i) {
        DeviceRecord d =
            MakeDevice("10.4." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1), 0);
        char mac[16];
        std::snprintf(mac, sizeof mac, "00aa%08x", static_cast<unsigned>(i));
        SetText(d.mac_text, mac);
        out.push_back(d);
    }
    return out;
}

TEST_F(MonitorFileTest, RecordsWithoutAnAddressAreSkippedWithOneMessageSoPollingReachesTheRest) {
    DeviceRecord noNumber = MakeDevice("10.1.0.13", 3);
    noNumber.ip = 0;
    DeviceRecord noText = MakeDevice("10.1.0.14", 4);
    SetText(noText.ip_text, "");
    WriteFile(DefaultPath(), FileOf({MakeDevice("10.1.0.11", 1), DeviceRecord{}, noNumber, noText,
                                     MakeDevice("10.1.0.12", 2)}));
    const test::Message skipped{"Skipped 3 records of the monitor list file without an IP address",
                                "Warning", Icon::Warning, Owner::MainWindow};

    RestoreMonitorList(p.lists, p.settings, p.ui, p.configFolder);
    EXPECT_EQ(ListedAddresses(p), (std::vector<std::string>{"10.1.0.11", "10.1.0.12"}));
    EXPECT_EQ(p.lists.monitor[1].ip, test::HostAddress("10.1.0.12"));  // no gap before it
    EXPECT_EQ(t.ui.messages, std::vector<test::Message>{skipped});

    test::TestProgram byMenu;
    Columns(byMenu.program);
    ASSERT_EQ(LoadMonitorListFrom(byMenu.program.lists, byMenu.program.settings, byMenu.program.ui,
                                  DefaultPath()),
              0);
    EXPECT_EQ(ListedAddresses(byMenu.program),
              (std::vector<std::string>{"10.1.0.11", "10.1.0.12"}));
    EXPECT_EQ(byMenu.ui.messages, std::vector<test::Message>{skipped});
}

TEST_F(MonitorFileTest, AFileOfMoreThan256RecordsIsCutAndSaysSo) {
    WriteFile(DefaultPath(), FileOf(ManyDevices(300)));
    const std::vector<std::string> cut{
        "The monitor list file holds 300 devices: only the first 256 are loaded"};
    RestoreMonitorList(p.lists, p.settings, p.ui, p.configFolder);
    EXPECT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 256);
    EXPECT_EQ(t.ui.Texts(), cut);

    test::TestProgram byMenu;
    Columns(byMenu.program);
    ASSERT_EQ(LoadMonitorListFrom(byMenu.program.lists, byMenu.program.settings, byMenu.program.ui,
                                  DefaultPath()),
              0);
    EXPECT_EQ(byMenu.program.lists.monitorList.GetItemCount(kStateAny), 256);
    EXPECT_EQ(byMenu.ui.Texts(), cut);
}

TEST_F(MonitorFileTest, AFifoOrAFolderIsRefusedAtOnce) {
    for (const bool fifo : {true, false}) {
        SCOPED_TRACE(fifo ? "fifo" : "folder");
        test::TestProgram q;
        Columns(q.program);
        const std::string path = MonitorFilePath(q.program.configFolder);
        std::optional<test::GuardedFifo> guard;
        if (fifo) {
            guard.emplace(path);
            ASSERT_TRUE(guard->Ok());
        } else {
            std::filesystem::create_directory(path);
        }
        const std::vector<std::string> refused{NotRegularFileText(path)};
        RestoreMonitorList(q.program.lists, q.program.settings, q.program.ui,
                           q.program.configFolder);
        EXPECT_EQ(q.ui.Texts(), refused);
        q.ui.Clear();
        EXPECT_EQ(LoadMonitorListFrom(q.program.lists, q.program.settings, q.program.ui, path), -1);
        EXPECT_EQ(q.ui.Texts(), refused);
        EXPECT_EQ(q.program.lists.monitorList.GetItemCount(kStateAny), 0);
    }
}

TEST_F(MonitorFileTest, SaveThroughASymbolicLinkUpdatesItsTarget) {
    std::filesystem::create_directory(t.dir.File("shared"));
    const std::string shared = t.dir.File("shared/team.cfg");
    WriteFile(shared, {});
    std::filesystem::permissions(shared, std::filesystem::perms(0640));
    std::filesystem::create_symlink("shared/team.cfg", DefaultPath());
    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    SaveMonitorListDefault(p.lists, p.ui, p.configFolder);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(DefaultPath()));
    EXPECT_EQ(ReadFile(shared).size(), kRecordSize);
    EXPECT_EQ(std::filesystem::status(shared).permissions(), std::filesystem::perms(0640));
}

TEST_F(MonitorFileTest, DialogsProposeTheirNamesAndCancelDoesNothing) {
    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    const std::vector<FileFilter> cfg{{"config File (*.cfg)", "*.cfg"}};

    SaveMonitorListAs(p.lists, p.ui);            // cancelled
    LoadMonitorList(p.lists, p.settings, p.ui);  // cancelled
    EXPECT_EQ(t.ui.proposedNames, (std::vector<std::string>{"Default.cfg", "monitor.cfg"}));
    ASSERT_EQ(t.ui.filtersAsked.size(), 2u);
    for (const auto& filters : t.ui.filtersAsked) {
        ASSERT_EQ(filters.size(), 1u);
        EXPECT_EQ(filters[0].description, cfg[0].description);
        EXPECT_EQ(filters[0].pattern, cfg[0].pattern);
    }
    EXPECT_FALSE(std::filesystem::exists(DefaultPath()));
    EXPECT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 1);

    t.ui.fileChoices.push_back(t.dir.File("chosen.cfg"));
    SaveMonitorListAs(p.lists, p.ui);
    EXPECT_EQ(std::filesystem::file_size(t.dir.File("chosen.cfg")), kRecordSize);
    SaveMonitorListDefault(p.lists, p.ui, p.configFolder);
    EXPECT_EQ(ReadFile(DefaultPath()), ReadFile(t.dir.File("chosen.cfg")));
}

TEST_F(MonitorFileTest, FailedSaveIsReportedAndKeepsTheOldFile) {
    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    EXPECT_EQ(SaveMonitorList(p.lists, p.ui, t.dir.File("no/such/folder/x.cfg")), -1);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Save monitor list fail: " +
                                                     t.dir.File("no/such/folder/x.cfg")});

    // A save that can't finish leaves the previous file whole.
    ASSERT_EQ(SaveMonitorList(p.lists, p.ui, DefaultPath()), 0);
    const auto before = ReadFile(DefaultPath());
    AddMonitored(p, MakeDevice("10.1.0.12", 2));
    {
        const test::FileSizeLimit full(100);  // the new copy can't be written whole
        EXPECT_EQ(SaveMonitorList(p.lists, p.ui, DefaultPath()), -1);
    }
    EXPECT_EQ(ReadFile(DefaultPath()), before);
}

}  // namespace
}  // namespace pm
