#include "inventory/RowBuilders.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/AddressText.h"
#include "base/WireConstants.h"
#include "inventory/ProductName.h"

namespace pm {
namespace {

constexpr int kRowSearchLimit = 256;
constexpr const char* kGroupIntervalCaption = "Group Interval";

bool GroupIntervalShown(const Settings& settings) {
    return settings.multicast_interface_on_off == 1;
}

bool GroupIntervalShown(const Program& p) {
    return GroupIntervalShown(p.settings);
}

// The group interval cell: "disable" for 0, else the decimal value, which is also kept in
// the record's text field (cut to its width there).
std::string GroupIntervalText(DeviceRecord& r) {
    if (r.group_interval == 0)
        return "disable";
    std::snprintf(r.group_interval_text, sizeof r.group_interval_text, "%d", r.group_interval);
    return std::to_string(r.group_interval);
}

void PaintRowRed(CReportCtrl& list, int row, int firstColumn) {
    for (int c = firstColumn; c < list.GetColumnCount(); ++c)
        list.SetItemTextColor(row, c, kPureRed, true);
}

}  // namespace

const char* IpModeText(int mode) {
    switch (mode) {
        case 0:
            return "Static";
        case 1:
            return "DHCP";
        case 3:
            return "";
        default:
            return "Bootp";
    }
}

std::string ProtocolVersionText(const DeviceRecord& r) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%03x.%03d", r.major, r.minor, r.revision);
    return text;
}

void CreateDiscoveryColumns(Program& p) {
    CReportCtrl& list = p.lists.discoveryList;
    list.InsertColumn(kDiscMac, "MAC Address", ColumnFormat::Centre, 115);
    const char* captions[] = {"IP Address", "Protocol Version", "Product Name", "System Name",
                              "IP Mode",    "Location",         "Subnet Mask",  "Gateway"};
    int column = kDiscIp;
    for (const char* caption : captions)
        list.InsertColumn(column++, caption, ColumnFormat::Left, 100);
    if (GroupIntervalShown(p))
        list.InsertColumn(kDiscGroupInterval, kGroupIntervalCaption, ColumnFormat::Left, 100);
}

void CreateMonitorColumns(Program& p) {
    CReportCtrl& list = p.lists.monitorList;
    list.InsertColumn(kMonStatus, "S", ColumnFormat::Centre, 20);
    list.InsertColumn(kMonIp, "IP Address", ColumnFormat::Left, 95);
    const char* captions[] = {"MAC Address", "Protocol Version", "Product Name", "System Name",
                              "IP Mode",     "Location",         "Subnet Mask",  "Gateway"};
    int column = kMonMac;
    for (const char* caption : captions)
        list.InsertColumn(column++, caption, ColumnFormat::Left, 100);
    if (GroupIntervalShown(p))
        list.InsertColumn(kMonGroupInterval, kGroupIntervalCaption, ColumnFormat::Left, 100);
}

void DrawDiscoveryRow(Program& p, int index) {
    DrawDiscoveryRow(p.lists, p.settings, index);
}

void DrawDiscoveryRow(DeviceLists& lists, const Settings& settings, int index) {
    if (index < 0 || index >= static_cast<int>(kTableSize))
        return;
    DeviceRecord& r = lists.discovery[static_cast<size_t>(index)];
    CReportCtrl& list = lists.discoveryList;

    int row = list.FindRowByText(kDiscMac, TextOf(r.mac_text), kRowSearchLimit);
    if (r.row_flag == 0 || row < 0)
        row = list.InsertItem(index, TextOf(r.mac_text), -1, static_cast<uint32_t>(index));
    if (row < 0)
        return;

    list.SetItemText(row, kDiscIp, TextOf(r.ip_text));
    list.SetItemText(row, kDiscVersion, ProtocolVersionText(r));
    list.SetItemText(row, kDiscProduct, FormatProductName(TextOf(r.product_name)));
    list.SetItemText(row, kDiscSystem, TextOf(r.system_name));
    list.SetItemText(row, kDiscMode, IpModeText(r.ip_mode));
    list.SetItemText(row, kDiscLocation, TextOf(r.location));
    list.SetItemText(row, kDiscMask, TextOf(r.mask_text));
    list.SetItemText(row, kDiscGateway, TextOf(r.gateway_text));

    if (r.loader == kLoaderMarker) {
        PaintRowRed(list, row, 0);
        return;
    }
    if (GroupIntervalShown(settings))
        list.SetItemText(row, kDiscGroupInterval,
                         r.group_interval == -1 ? std::string() : GroupIntervalText(r));
}

void DrawMonitorRow(Program& p, int index) {
    DrawMonitorRow(p.lists, p.settings, index);
}

void DrawMonitorRow(DeviceLists& lists, const Settings& settings, int index) {
    if (index < 0 || index >= static_cast<int>(kTableSize))
        return;
    DeviceRecord& r = lists.monitor[static_cast<size_t>(index)];
    CReportCtrl& list = lists.monitorList;

    int row = list.FindRowByText(kMonIp, TextOf(r.ip_text), kRowSearchLimit);
    if (row < 0 && r.mac_text[0] != '\0')
        row = list.FindRowByText(kMonMac, TextOf(r.mac_text), kRowSearchLimit);
    if (row < 0)
        row = index;

    if (r.row_flag != 0 && row < list.GetItemCount()) {
        // The image changes only by replacing the row; the cells this reply leaves alone and
        // the row's selection stay as they were.
        const uint32_t data = list.GetItemData(row);
        const bool selected = list.RowMatches(row, kStateSelected);
        std::vector<std::string> texts;
        for (int c = 0; c < list.GetColumnCount(); ++c)
            texts.push_back(list.GetItemText(row, c));
        list.DeleteItem(row);
        row = list.InsertItem(row, "", r.status_mark, data);
        for (int c = 1; c < static_cast<int>(texts.size()); ++c)
            list.SetItemText(row, c, texts[static_cast<size_t>(c)]);
        if (selected)
            list.SetItemStates(row, kStateSelected);
    } else {
        row = list.InsertItem(index, "", r.status_mark, static_cast<uint32_t>(index));
    }
    if (row < 0)
        return;

    list.SetItemText(row, kMonIp, TextOf(r.ip_text));
    list.SetItemText(row, kMonMac, TextOf(r.mac_text));
    list.SetItemText(row, kMonVersion, ProtocolVersionText(r));
    list.SetItemText(row, kMonProduct, FormatProductName(TextOf(r.product_name)));
    list.SetItemText(row, kMonMask, TextOf(r.mask_text));
    list.SetItemText(row, kMonGateway, TextOf(r.gateway_text));
    if (r.ip_mode != 3)
        list.SetItemText(row, kMonMode, IpModeText(r.ip_mode));

    if (r.loader != kLoaderMarker) {
        list.SetItemText(row, kMonSystem, TextOf(r.system_name));
        list.SetItemText(row, kMonLocation, TextOf(r.location));
        if (GroupIntervalShown(settings) && r.group_interval != -1)
            list.SetItemText(row, kMonGroupInterval, GroupIntervalText(r));
    } else {
        PaintRowRed(list, row, kMonIp);
    }

    for (int i = 0; i < list.GetItemCount(); ++i)
        list.SetItemData(i, static_cast<uint32_t>(i));
}

}  // namespace pm
