// Whether the monitor list has changed since it was last saved or loaded, as the window's
// file commands move that mark, and the answers to the question asked on quitting.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/MonitorListFiles.h"
#include "inventory/MonitorCommands.h"
#include "storage/MonitorFile.h"
#include "support/MonitoredDevices.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

using test::AddDiscovered;
using test::AddMonitored;
using test::MakeDevice;

class MonitorListFiles : public ::testing::Test {
  protected:
    MonitorListFiles() {
        CreateDiscoveryColumns(p.lists, p.settings);
        CreateMonitorColumns(p.lists, p.settings);
        for (int i = 0; i < 2; ++i)
            AddMonitored(p, MakeDevice("10.1.0." + std::to_string(20 + i), 20 + i));
        saved.Mark(p.lists);
    }
    bool Changed() const { return saved.Changed(p.lists); }
    void SelectOnly(CReportCtrl& list, int row) {
        for (int r = 0; r < list.GetItemCount(kStateAny); ++r)
            list.SetItemStates(r, r == row ? kStateSelected : kStateUnselected);
    }
    size_t FileRecords(const std::string& path) const {
        return std::filesystem::exists(path) ? std::filesystem::file_size(path) / kRecordSize : 0;
    }
    std::string DefaultFile() const { return MonitorFilePath(p.configFolder); }

    test::TestProgram t;
    Program& p = t.program;
    MonitorListBaseline saved;
};

TEST_F(MonitorListFiles, OnlyWhatASaveWouldWriteDifferentlyCounts) {
    // What polls and replies refresh is no change.
    DeviceRecord& first = p.lists.monitor[0];
    first.status_mark = 1;
    first.missed_polls = 3;
    first.answered = 0;
    SetText(first.system_name, "renamed");
    SetText(first.mac_text, "0011223344ff");
    first.row_flag = kRowAnswered;
    DrawMonitorRow(p.lists, p.settings, 0);
    EXPECT_FALSE(Changed());

    // A new address is: the file would hold the old one.
    SetText(first.ip_text, "10.1.0.99");
    EXPECT_TRUE(Changed());
    SetText(first.ip_text, "10.1.0.20");
    EXPECT_FALSE(Changed());

    AddDiscovered(p, MakeDevice("10.1.0.40", 40));
    SelectOnly(p.lists.discoveryList, 0);
    AddSelectedToMonitor(p.lists, p.settings, p.ui);
    ASSERT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 3);
    EXPECT_TRUE(Changed());
    SelectOnly(p.lists.monitorList, 2);
    DeleteFromMonitor(p.lists, p.ui);  // the fake Ui answers OK
    ASSERT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 2);
    EXPECT_FALSE(Changed());  // back to what was saved

    SelectOnly(p.lists.monitorList, 0);
    DeleteFromMonitor(p.lists, p.ui);
    EXPECT_TRUE(Changed());
}

TEST_F(MonitorListFiles, SavesMarkTheListOnlyWhenTheyWrite) {
    SelectOnly(p.lists.monitorList, 0);
    DeleteFromMonitor(p.lists, p.ui);
    ASSERT_TRUE(Changed());

    t.ui.fileChoices.push_back(std::nullopt);  // "Monitor save as" cancelled
    SaveMonitorListToChosenFile(p.lists, p.ui, saved);
    EXPECT_TRUE(Changed());
    t.ui.fileChoices.push_back(t.dir.File("missing/list.cfg"));
    SaveMonitorListToChosenFile(p.lists, p.ui, saved);
    EXPECT_TRUE(Changed());
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Save monitor list fail: " +
                                                     t.dir.File("missing/list.cfg")});
    t.ui.fileChoices.push_back(t.dir.File("list.cfg"));
    SaveMonitorListToChosenFile(p.lists, p.ui, saved);
    EXPECT_FALSE(Changed());
    EXPECT_EQ(FileRecords(t.dir.File("list.cfg")), 1u);

    AddMonitored(p, MakeDevice("10.1.0.30", 30));
    ASSERT_TRUE(Changed());
    EXPECT_EQ(SaveMonitorListToFolder(p.lists, p.ui, p.configFolder, saved), 0);
    EXPECT_FALSE(Changed());
    EXPECT_EQ(FileRecords(DefaultFile()), 2u);

    AddMonitored(p, MakeDevice("10.1.0.31", 31));
    EXPECT_EQ(SaveMonitorListToFolder(p.lists, p.ui, t.dir.File("missing"), saved), -1);
    EXPECT_TRUE(Changed());
}

TEST_F(MonitorListFiles, LoadingNeverMakesUnsavedChangesLookSaved) {
    ASSERT_EQ(SaveMonitorListToFolder(p.lists, p.ui, p.configFolder, saved), 0);
    const std::string other = t.dir.File("other.cfg");
    {
        test::TestProgram u;
        CreateMonitorColumns(u.program.lists, u.program.settings);
        AddMonitored(u.program, MakeDevice("10.1.0.50", 50));
        ASSERT_EQ(SaveMonitorList(u.program.lists, u.program.ui, other), 0);
    }

    // An unchanged list takes the file's records and counts as loaded.
    t.ui.fileChoices.push_back(other);
    LoadMonitorListFromChosenFile(p.lists, p.settings, p.ui, saved);
    ASSERT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 3);
    EXPECT_FALSE(Changed());

    // A changed one stays changed, whether the load reads a file or is cancelled.
    SelectOnly(p.lists.monitorList, 0);
    DeleteFromMonitor(p.lists, p.ui);
    ASSERT_TRUE(Changed());
    t.ui.fileChoices.push_back(other);
    LoadMonitorListFromChosenFile(p.lists, p.settings, p.ui, saved);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Duplicate ip in monitor list"});
    EXPECT_TRUE(Changed());
    LoadMonitorListFromChosenFile(p.lists, p.settings, p.ui, saved);  // cancelled
    EXPECT_TRUE(Changed());
}

TEST_F(MonitorListFiles, QuitAnswers) {
    AddMonitored(p, MakeDevice("10.1.0.30", 30));
    ASSERT_TRUE(Changed());
    EXPECT_FALSE(MayQuitAfter(SaveAnswer::Cancel, p.lists, p.ui, p.configFolder, saved));
    EXPECT_TRUE(MayQuitAfter(SaveAnswer::Discard, p.lists, p.ui, p.configFolder, saved));
    EXPECT_FALSE(std::filesystem::exists(DefaultFile()));
    EXPECT_TRUE(Changed());

    // A save that fails keeps the window open, with the save's own message.
    EXPECT_FALSE(MayQuitAfter(SaveAnswer::Save, p.lists, p.ui, t.dir.File("missing"), saved));
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Save monitor list fail: " +
                                                     t.dir.File("missing/monitor.cfg")});
    EXPECT_TRUE(MayQuitAfter(SaveAnswer::Save, p.lists, p.ui, p.configFolder, saved));
    EXPECT_EQ(FileRecords(DefaultFile()), 3u);
    EXPECT_FALSE(Changed());
}

}  // namespace
}  // namespace pm
