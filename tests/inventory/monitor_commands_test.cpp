// Moving devices between the lists: add selected, double-click, add by address, delete.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inventory/DeviceTables.h"
#include "inventory/MonitorCommands.h"
#include "support/Devices.h"

namespace pm {
namespace {

using test::Ip;

class MonitorCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { test::MakeColumns(p); }
    // Discovered devices with MAC ...00NN and address 10.0.0.NN.
    void Discovered(std::vector<uint8_t> ids) {
        for (uint8_t id : ids)
            test::AddDiscovered(p, test::MakeDevice(id, Ip(10, 0, 0, id)));
    }
    void Select(CReportCtrl& list, std::vector<int> rows) {
        for (int r : rows)
            list.SetItemStates(r, kStateSelected);
    }
    std::vector<std::string> Column(const CReportCtrl& list, int column) const {
        std::vector<std::string> out;
        for (int r = 0; r < list.GetItemCount(); ++r)
            out.push_back(list.GetItemText(r, column));
        return out;
    }
    std::vector<std::string> EntryAddresses(const DeviceTable& table, int n) const {
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i)
            out.emplace_back(TextOf(table[static_cast<size_t>(i)].ip_text));
        return out;
    }

    test::TestProgram t;
    Program& p = t.program;
};

TEST_F(MonitorCommandsTest, AddsSelectedRowsInOrderAndCompactsTheRest) {
    Discovered({1, 2, 3, 4, 5});
    Select(p.lists.discoveryList, {0, 2, 4});
    AddSelectedToMonitor(p.lists, p.settings, p.ui);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(Column(p.lists.monitorList, kMonIp),
              (std::vector<std::string>{"10.0.0.1", "10.0.0.3", "10.0.0.5"}));
    EXPECT_EQ(EntryAddresses(p.lists.monitor, 3), Column(p.lists.monitorList, kMonIp));
    EXPECT_EQ(p.lists.monitor[1].status_mark, -1);
    EXPECT_EQ(Column(p.lists.discoveryList, kDiscIp),
              (std::vector<std::string>{"10.0.0.2", "10.0.0.4"}));
    EXPECT_EQ(EntryAddresses(p.lists.discovery, 2), Column(p.lists.discoveryList, kDiscIp));
    EXPECT_EQ(p.lists.discovery[2], DeviceRecord{});
    EXPECT_EQ(p.lists.discovery[4], DeviceRecord{});
}

TEST_F(MonitorCommandsTest, DuplicateAddressesAreRefused) {
    Discovered({1, 2, 3});
    p.lists.discovery[1].ip = p.lists.discovery[0].ip;  // two devices answering with one address
    test::AddMonitored(p, test::MakeDevice(9, Ip(10, 0, 0, 3)));
    Select(p.lists.discoveryList, {0, 1, 2});
    AddSelectedToMonitor(p.lists, p.settings, p.ui);
    const test::Message dup{"Duplicate ip ", "Add fail", Icon::Error, Owner::MainWindow};
    EXPECT_EQ(t.ui.messages, (std::vector<test::Message>{dup, dup, dup}));
    EXPECT_EQ(p.lists.monitorList.GetItemCount(), 1);
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 3);
    EXPECT_EQ(EntryAddresses(p.lists.discovery, 3),
              (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
}

TEST_F(MonitorCommandsTest, AFullMonitorListTakesTheFirstAndRefusesTheSecond) {
    for (int i = 0; i < 255; ++i)
        test::AddMonitored(
            p, test::MakeDevice(static_cast<uint8_t>(i), Ip(10, 1, 0, static_cast<uint8_t>(i)), 1));
    Discovered({1, 2});
    Select(p.lists.discoveryList, {0, 1});
    AddSelectedToMonitor(p.lists, p.settings, p.ui);
    EXPECT_EQ(t.ui.messages,
              (std::vector<test::Message>{
                  {"out of 256 device in monitor list", "Error", Icon::Error, Owner::MainWindow}}));
    EXPECT_EQ(p.lists.monitorList.GetItemCount(), 256);
    EXPECT_EQ(TextOf(p.lists.monitor[255].ip_text), "10.0.0.1");
    EXPECT_EQ(Column(p.lists.discoveryList, kDiscIp), std::vector<std::string>{"10.0.0.2"});
    EXPECT_EQ(TextOf(p.lists.discovery[0].ip_text), "10.0.0.2");
}

TEST_F(MonitorCommandsTest, DoubleClickMovesExactlyOneDevice) {
    Discovered({1, 2, 3});
    AddOneToMonitor(p.lists, p.settings, p.ui);
    Select(p.lists.discoveryList, {0, 2});
    AddOneToMonitor(p.lists, p.settings, p.ui);
    EXPECT_EQ(p.lists.monitorList.GetItemCount(), 0);

    p.lists.discoveryList.SetItemStates(2, kStateUnselected);
    AddOneToMonitor(p.lists, p.settings, p.ui);
    EXPECT_EQ(Column(p.lists.monitorList, kMonIp), std::vector<std::string>{"10.0.0.1"});
    EXPECT_EQ(Column(p.lists.discoveryList, kDiscIp),
              (std::vector<std::string>{"10.0.0.2", "10.0.0.3"}));
    EXPECT_EQ(EntryAddresses(p.lists.discovery, 2), Column(p.lists.discoveryList, kDiscIp));
    EXPECT_EQ(p.lists.discovery[2], DeviceRecord{});
}

TEST_F(MonitorCommandsTest, AddByAddress) {
    Discovered({5});
    const auto form = [](const char* address) {
        return [address](DeviceRecord& e) {
            SetText(e.ip_text, address);
            e.ip = *ParseAddress(address);
            e.id_stamp = kAddedByAddressStamp;
            e.status_mark = -1;
            return true;
        };
    };
    AddDeviceByAddress(p.lists, p.settings, p.ui, [](DeviceRecord&) { return false; });
    EXPECT_EQ(p.lists.monitorList.GetItemCount(), 0);

    AddDeviceByAddress(p.lists, p.settings, p.ui, form("10.9.9.9"));
    EXPECT_EQ(Column(p.lists.monitorList, kMonIp), std::vector<std::string>{"10.9.9.9"});
    EXPECT_EQ(p.lists.monitorList.GetItemImage(0), -1);
    EXPECT_TRUE(t.ui.messages.empty());

    for (const char* taken : {"10.0.0.5", "10.9.9.9"}) {
        t.ui.Clear();
        AddDeviceByAddress(p.lists, p.settings, p.ui, form(taken));
        EXPECT_EQ(t.ui.Texts(),
                  std::vector<std::string>{"Duplicate IP in monitor list or discovery list"})
            << taken;
        EXPECT_EQ(p.lists.monitorList.GetItemCount(), 1) << taken;
        EXPECT_EQ(p.lists.monitor[1], DeviceRecord{}) << taken;
    }

    for (int i = 1; i < 256; ++i)
        test::AddMonitored(
            p, test::MakeDevice(static_cast<uint8_t>(i), Ip(10, 1, 0, static_cast<uint8_t>(i)), 1));
    t.ui.Clear();
    bool opened = false;
    AddDeviceByAddress(p.lists, p.settings, p.ui, [&](DeviceRecord&) { return opened = true; });
    EXPECT_FALSE(opened);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"out of 256 device in monitor list"});
}

TEST_F(MonitorCommandsTest, DeletingRows2And5Of7KeepsTheOthersInOrder) {
    for (uint8_t i = 0; i < 7; ++i)
        test::AddMonitored(p, test::MakeDevice(i, Ip(10, 0, 0, i)));
    Select(p.lists.monitorList, {2, 5});
    t.ui.answers = {true};
    DeleteFromMonitor(p.lists, p.ui);
    ASSERT_EQ(t.ui.questions.size(), 1u);
    EXPECT_EQ(t.ui.questions[0], (test::Message{"Are you sure to delete this item ?", "Warning",
                                                Icon::Warning, Owner::MainWindow}));
    const std::vector<std::string> kept = {"10.0.0.0", "10.0.0.1", "10.0.0.3", "10.0.0.4",
                                           "10.0.0.6"};
    EXPECT_EQ(Column(p.lists.monitorList, kMonIp), kept);
    EXPECT_EQ(EntryAddresses(p.lists.monitor, 5), kept);
    EXPECT_EQ(p.lists.monitor[5], DeviceRecord{});
}

TEST_F(MonitorCommandsTest, DeleteAsksFirstAndCancelChangesNothing) {
    DeleteFromMonitor(p.lists, p.ui);
    EXPECT_TRUE(t.ui.questions.empty()) << "nothing selected, nothing asked";

    for (uint8_t i = 0; i < 3; ++i)
        test::AddMonitored(p, test::MakeDevice(i, Ip(10, 0, 0, i)));
    const DeviceTable before = p.lists.monitor;
    Select(p.lists.monitorList, {1});
    t.ui.answers = {false};
    DeleteFromMonitor(p.lists, p.ui);
    EXPECT_EQ(t.ui.questions.size(), 1u);
    EXPECT_EQ(p.lists.monitorList.GetItemCount(), 3);
    EXPECT_TRUE(p.lists.monitor == before);
}

}  // namespace
}  // namespace pm
