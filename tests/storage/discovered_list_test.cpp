// A discovery saved as a monitor list file: the window's records, no password bytes, the
// add's own refusals, no overwrite unless asked, and a file that "Monitor load" takes back.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "inventory/MonitorCommands.h"
#include "storage/DiscoveredList.h"
#include "storage/MonitorFile.h"
#include "support/MonitoredDevices.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

using test::AddDiscovered;
using test::MakeDevice;

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DiscoveredListTest : public ::testing::Test {
  protected:
    DiscoveredListTest() {
        CreateDiscoveryColumns(p.lists, p.settings);
        CreateMonitorColumns(p.lists, p.settings);
    }
    test::TestProgram t;
    Program& p = t.program;
};

TEST_F(DiscoveredListTest, WritesEveryFoundSwitchAsTheWindowWouldSaveItWithoutPasswords) {
    DeviceRecord a = MakeDevice("10.1.0.11", 1);
    SetText(a.password, "secret");  // never on disk, whatever a record holds
    SetText(a.new_password, "next");
    AddDiscovered(p, a);
    AddDiscovered(p, MakeDevice("10.1.0.12", 2));
    const std::string path = t.dir.File("found.cfg");

    ASSERT_TRUE(
        SaveDiscoveredAsMonitorList(p.lists, p.settings, p.ui, path, ExistingFile::Keep).Ok());
    const auto bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 2 * kRecordSize);
    for (size_t r = 0; r < 2; ++r)
        for (size_t k = rec::kPassword; k < rec::kIp; ++k)
            ASSERT_EQ(bytes[r * kRecordSize + k], 0) << "record " << r << " byte " << k;
    // The caller's lists are as they were.
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 2);
    EXPECT_EQ(p.lists.monitorList.GetItemCount(), 0);
    EXPECT_TRUE(t.ui.messages.empty());

    // The window: every discovery row selected, "Add to Monitor List", "Monitor save as".
    for (int row = 0; row < 2; ++row)
        p.lists.discoveryList.SetItemStates(row, kStateSelected);
    AddSelectedToMonitor(p.lists, p.settings, p.ui);
    std::vector<uint8_t> window = BuildMonitorFile(p.lists);
    std::fill(window.begin() + rec::kPassword, window.begin() + rec::kIp, 0);
    EXPECT_EQ(bytes, window);
    EXPECT_EQ(p.lists.monitor[0].status_mark, kStatusAlive);

    // What the file holds comes back through "Monitor load" into an empty list.
    test::TestProgram other;
    CreateMonitorColumns(other.program.lists, other.program.settings);
    ASSERT_EQ(LoadMonitorListFrom(other.program.lists, other.program.settings, other.ui, path), 0);
    EXPECT_EQ(other.program.lists.monitorList.GetItemCount(), 2);
    EXPECT_TRUE(other.ui.messages.empty());
}

TEST_F(DiscoveredListTest, KeepsAnExistingFileUnlessToldToReplaceIt) {
    AddDiscovered(p, MakeDevice("10.1.0.11", 1));
    const std::string path = t.dir.File("found.cfg");
    std::ofstream(path) << "old";
    EXPECT_EQ(SaveDiscoveredAsMonitorList(p.lists, p.settings, p.ui, path, ExistingFile::Keep).kind,
              FileWriteResult::Kind::Exists);
    EXPECT_EQ(ReadFile(path).size(), 3u);
    EXPECT_TRUE(
        SaveDiscoveredAsMonitorList(p.lists, p.settings, p.ui, path, ExistingFile::Replace).Ok());
    EXPECT_EQ(ReadFile(path).size(), kRecordSize);
}

TEST_F(DiscoveredListTest, TwoSwitchesAtOneAddressAreRefusedAsTheAddCommandRefusesThem) {
    AddDiscovered(p, MakeDevice("10.1.0.11", 1));
    AddDiscovered(p, MakeDevice("10.1.0.11", 2));
    AddDiscovered(p, MakeDevice("10.1.0.13", 3));
    const std::string path = t.dir.File("found.cfg");
    ASSERT_TRUE(
        SaveDiscoveredAsMonitorList(p.lists, p.settings, p.ui, path, ExistingFile::Keep).Ok());
    const auto records = ParseMonitorFile(ReadFile(path));
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 1u);
    EXPECT_EQ(TextOf((*records)[0].ip_text), "10.1.0.13");
    EXPECT_EQ(t.ui.Texts(), (std::vector<std::string>{"Duplicate ip ", "Duplicate ip "}));
}

}  // namespace
}  // namespace pm
