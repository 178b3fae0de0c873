// Columns and rows of the two lists, and sorting by column.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "inventory/SortList.h"
#include "support/Devices.h"

namespace pm {
namespace {

using test::Ip;

class RowBuildersTest : public ::testing::Test {
  protected:
    void SetUp() override { test::MakeColumns(p); }
    std::vector<std::string> RowTexts(const CReportCtrl& list, int row) const {
        std::vector<std::string> out;
        for (int c = 0; c < list.GetColumnCount(); ++c)
            out.push_back(list.GetItemText(row, c));
        return out;
    }
    DeviceRecord Full(uint8_t id) const {
        DeviceRecord r = test::MakeDevice(id, Ip(10, 0, 0, id));
        SetText(r.product_name, "GS-8");
        SetText(r.system_name, "sys");
        SetText(r.location, "loc");
        SetText(r.gateway_text, "10.0.0.254");
        r.minor = 0x1a;
        r.revision = 3;
        r.ip_mode = 1;
        r.group_interval = 300;
        return r;
    }

    test::TestProgram t;
    Program& p = t.program;
};

TEST_F(RowBuildersTest, ASwitchsTextsAreShownInert) {
    DeviceRecord r = Full(1);
    SetText(r.system_name, "a\x1b]0;x\ab");  // would retitle a terminal
    SetText(r.location,
            "\xe2\x80\xae"
            "cba\r\n");                  // a bidi override, then a line break
    SetText(r.product_name, "Caf\xe9");  // Latin-1, not UTF-8
    test::AddDiscovered(p, r);
    test::AddMonitored(p, r);
    using Columns = std::tuple<const CReportCtrl*, int, int, int>;
    for (auto [list, system, location, product] :
         {Columns{&p.lists.discoveryList, kDiscSystem, kDiscLocation, kDiscProduct},
          Columns{&p.lists.monitorList, kMonSystem, kMonLocation, kMonProduct}}) {
        EXPECT_EQ(list->GetItemText(0, system), "a\u241b]0;x\u2407b");
        EXPECT_EQ(list->GetItemText(0, location), "<U+202E>cba\u240d\u240a");
        EXPECT_EQ(list->GetItemText(0, product), "Caf\u00e9");
    }
    // The record keeps the bytes as they came.
    EXPECT_EQ(TextOf(p.lists.discovery[0].system_name), "a\x1b]0;x\ab");
}

TEST_F(RowBuildersTest, ColumnsHaveTheirCaptionsFormatsAndWidths) {
    const auto& d = p.lists.discoveryList.Columns();
    ASSERT_EQ(d.size(), 10u);
    EXPECT_EQ(d[0].caption, "MAC Address");
    EXPECT_EQ(d[0].format, ColumnFormat::Centre);
    EXPECT_EQ(d[0].width, 115);
    EXPECT_EQ(d[5].caption, "IP Mode");
    EXPECT_EQ(d[5].format, ColumnFormat::Left);
    EXPECT_EQ(d[9].caption, "Group Interval");
    const auto& m = p.lists.monitorList.Columns();
    ASSERT_EQ(m.size(), 11u);
    EXPECT_EQ(m[0].caption, "S");
    EXPECT_EQ(m[0].width, 20);
    EXPECT_EQ(m[0].format, ColumnFormat::Centre);
    EXPECT_EQ(m[1].width, 95);
    EXPECT_EQ(m[2].caption, "MAC Address");
    EXPECT_EQ(m[9].caption, "Gateway");
    EXPECT_EQ(m[9].width, 100);

    test::TestProgram off;
    off.program.settings.multicast_interface_on_off = 0;
    test::MakeColumns(off.program);
    EXPECT_EQ(off.program.lists.discoveryList.GetColumnCount(), 9);
    EXPECT_EQ(off.program.lists.monitorList.GetColumnCount(), 10);
}

TEST_F(RowBuildersTest, DiscoveryRowShowsEveryColumn) {
    test::AddDiscovered(p, Full(1));
    EXPECT_EQ(RowTexts(p.lists.discoveryList, 0),
              (std::vector<std::string>{"001c2d3e0001", "10.0.0.1", "2.01a.003", "GS-8", "sys",
                                        "DHCP", "loc", "255.255.255.0", "10.0.0.254", "300"}));
    EXPECT_EQ(TextOf(p.lists.discovery[0].group_interval_text), "300");
    EXPECT_EQ(p.lists.discoveryList.GetItemData(0), 0u);
}

TEST_F(RowBuildersTest, ModeAndGroupIntervalTexts) {
    const std::vector<std::pair<int, const char*>> modes = {
        {0, "Static"}, {1, "DHCP"}, {2, "Bootp"}, {3, ""}, {9, "Bootp"}};
    for (auto [mode, text] : modes)
        EXPECT_STREQ(IpModeText(mode), text) << mode;

    const std::vector<std::pair<int32_t, std::string>> intervals = {
        {-1, ""}, {0, "disable"}, {1225, "1225"}, {-7, "-7"}, {123456, "123456"}};
    uint8_t id = 1;
    for (const auto& [value, text] : intervals) {
        DeviceRecord r = Full(id);
        r.group_interval = value;
        const int row = test::AddDiscovered(p, r);
        EXPECT_EQ(p.lists.discoveryList.GetItemText(row, kDiscGroupInterval), text) << value;
        ++id;
    }
    // The record's text field keeps what fits; the cell shows the whole value.
    EXPECT_EQ(TextOf(p.lists.discovery[4].group_interval_text), "12345");
}

TEST_F(RowBuildersTest, GroupIntervalOnlyWhenTheFeatureIsOn) {
    p.settings.multicast_interface_on_off = 0;  // the column exists, but stays empty
    test::AddDiscovered(p, Full(1));
    test::AddMonitored(p, Full(2));
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscGroupInterval), "");
    EXPECT_EQ(p.lists.monitorList.GetItemText(0, kMonGroupInterval), "");
}

TEST_F(RowBuildersTest, LoaderRowsAreRed) {
    DeviceRecord loader = Full(1);
    loader.loader = kLoaderMarker;
    test::AddDiscovered(p, loader);
    for (int c = 0; c < p.lists.discoveryList.GetColumnCount(); ++c)
        EXPECT_EQ(p.lists.discoveryList.GetItemTextColor(0, c), kPureRed) << c;
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscSystem), "sys");
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscGroupInterval), "");

    DeviceRecord monitored = Full(2);
    monitored.loader = kLoaderMarker;
    test::AddMonitored(p, monitored);
    EXPECT_EQ(RowTexts(p.lists.monitorList, 0),
              (std::vector<std::string>{"", "10.0.0.2", "001c2d3e0002", "2.01a.003", "GS-8", "",
                                        "DHCP", "", "255.255.255.0", "10.0.0.254", ""}));
    EXPECT_EQ(p.lists.monitorList.GetItemTextColor(0, kMonStatus), kWindowTextColor);
    for (int c = 1; c < p.lists.monitorList.GetColumnCount(); ++c)
        EXPECT_EQ(p.lists.monitorList.GetItemTextColor(0, c), kPureRed) << c;

    // Out of the loader, the row is drawn anew in the normal colour.
    monitored.loader = 0;
    monitored.row_flag = 1;
    p.lists.monitor[0] = monitored;
    DrawMonitorRow(p.lists, p.settings, 0);
    EXPECT_EQ(p.lists.monitorList.GetItemText(0, kMonSystem), "sys");
    EXPECT_EQ(p.lists.monitorList.GetItemTextColor(0, kMonIp), kWindowTextColor);
}

TEST_F(RowBuildersTest, MonitorRowRedrawKeepsUnreportedCellsItemDataAndSelection) {
    test::AddMonitored(p, Full(1));
    test::AddMonitored(p, Full(2));
    p.lists.monitorList.SortRows(kMonIp, false, false);  // row 0 now shows entry 1
    p.lists.monitorList.SetItemStates(1, kStateSelected);

    DeviceRecord update = p.lists.monitor[0];
    update.ip_mode = 3;
    update.group_interval = -1;
    update.status_mark = 1;
    update.row_flag = 2;
    SetText(update.system_name, "renamed");
    p.lists.monitor[0] = update;
    DrawMonitorRow(p.lists, p.settings, 0);

    ASSERT_EQ(p.lists.monitorList.GetItemCount(), 2);
    EXPECT_EQ(p.lists.monitorList.GetItemText(1, kMonIp), "10.0.0.1");
    EXPECT_EQ(p.lists.monitorList.GetItemText(1, kMonSystem), "renamed");
    EXPECT_EQ(p.lists.monitorList.GetItemText(1, kMonMode), "DHCP");
    EXPECT_EQ(p.lists.monitorList.GetItemText(1, kMonGroupInterval), "300");
    EXPECT_EQ(p.lists.monitorList.GetItemImage(1), 1);
    EXPECT_EQ(p.lists.monitorList.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(p.lists.monitorList.GetItemData(0), 0u);
    EXPECT_EQ(p.lists.monitorList.GetItemData(1), 1u);
}

TEST_F(RowBuildersTest, ThreeDiscoveryRowsAppearInOrder) {
    for (uint8_t id : {7, 3, 5})
        test::AddDiscovered(p, Full(id));
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscIp), "10.0.0.7");
    EXPECT_EQ(p.lists.discoveryList.GetItemText(1, kDiscIp), "10.0.0.3");
    EXPECT_EQ(p.lists.discoveryList.GetItemText(2, kDiscIp), "10.0.0.5");
    EXPECT_EQ(p.lists.discoveryList.GetItemData(2), 2u);
}

TEST_F(RowBuildersTest, SortListTogglesAndMovesRowsOnly) {
    for (uint8_t id : {2, 9, 5})
        test::AddDiscovered(p, Full(id));
    DeviceRecord dead = Full(4);
    dead.status_mark = 1;
    test::AddMonitored(p, Full(3));
    test::AddMonitored(p, dead);
    const DeviceTable before = p.lists.discovery;
    const auto ips = [&](const CReportCtrl& list, int col) {
        std::vector<std::string> out;
        for (int r = 0; r < list.GetItemCount(); ++r)
            out.push_back(list.GetItemText(r, col));
        return out;
    };

    SortList(p.lists, p.sortAscending, ListKind::Discovery, kDiscIp);  // first click: descending
    EXPECT_EQ(p.sortAscending, 0);
    EXPECT_EQ(ips(p.lists.discoveryList, kDiscIp),
              (std::vector<std::string>{"10.0.0.9", "10.0.0.5", "10.0.0.2"}));
    EXPECT_TRUE(p.lists.discovery == before);

    SortList(p.lists, p.sortAscending, ListKind::Monitor,
             kMonStatus);  // ascending by image: -1 before 1
    EXPECT_EQ(ips(p.lists.monitorList, kMonIp), (std::vector<std::string>{"10.0.0.3", "10.0.0.4"}));
    SortList(p.lists, p.sortAscending, ListKind::Monitor, kMonStatus);
    EXPECT_EQ(ips(p.lists.monitorList, kMonIp), (std::vector<std::string>{"10.0.0.4", "10.0.0.3"}));

    SortList(p.lists, p.sortAscending, ListKind::Discovery,
             kDiscGroupInterval);  // toggles, doesn't sort
    EXPECT_EQ(p.sortAscending, 1);
    EXPECT_EQ(ips(p.lists.discoveryList, kDiscIp),
              (std::vector<std::string>{"10.0.0.9", "10.0.0.5", "10.0.0.2"}));
}

}  // namespace
}  // namespace pm
