#include "inventory/RowBuilders.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/AddressText.h"
#include "base/DeviceText.h"
#include "base/WireConstants.h"
#include "inventory/ProductName.h"

namespace pm {
namespace {

constexpr int kRowSearchLimit = 256;
constexpr const char* kGroupIntervalCaption = "Group Interval";

bool GroupIntervalDisplayDeviceText(const Settings& settings) {
    return settings.multicast_interface_on_off == 1;
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
        case kIpModeStatic:
            return "Static";
        case kIpModeDhcp:
            return "DHCP";
        case kIpModeNotReported:
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

void CreateDiscoveryColumns(DeviceLists& lists, const Settings& settings) {
    CReportCtrl& list = lists.discoveryList;
    list.InsertColumn(kDiscMac, "MAC Address", ColumnFormat::Centre, 115);
    const char* captions[] = {"IP Address", "Protocol Version", "Product Name", "System Name",
                              "IP Mode",    "Location",         "Subnet Mask",  "Gateway"};
    int column = kDiscIp;
    for (const char* caption : captions)
        list.InsertColumn(column++, caption, ColumnFormat::Left, 100);
    if (GroupIntervalDisplayDeviceText(settings))
        list.InsertColumn(kDiscGroupInterval, kGroupIntervalCaption, ColumnFormat::Left, 100);
}

void CreateMonitorColumns(DeviceLists& lists, const Settings& settings) {
    CReportCtrl& list = lists.monitorList;
    list.InsertColumn(kMonStatus, "S", ColumnFormat::Centre, 20);
    list.InsertColumn(kMonIp, "IP Address", ColumnFormat::Left, 95);
    const char* captions[] = {"MAC Address", "Protocol Version", "Product Name", "System Name",
                              "IP Mode",     "Location",         "Subnet Mask",  "Gateway"};
    int column = kMonMac;
    for (const char* caption : captions)
        list.InsertColumn(column++, caption, ColumnFormat::Left, 100);
    if (GroupIntervalDisplayDeviceText(settings))
        list.InsertColumn(kMonGroupInterval, kGroupIntervalCaption, ColumnFormat::Left, 100);
}

void DrawDiscoveryRow(DeviceLists& lists, const Settings& settings, int index) {
    if (index < 0 || index >= static_cast<int>(kTableSize))
        return;
    DeviceRecord& entry = lists.discovery[static_cast<size_t>(index)];
    CReportCtrl& list = lists.discoveryList;

    int row = list.FindRowByText(kDiscMac, TextOf(entry.mac_text), kRowSearchLimit);
    if (entry.row_flag == kRowNew || row < 0)
        row = list.InsertItem(index, TextOf(entry.mac_text), -1, static_cast<uint32_t>(index));
    if (row < 0)
        return;

    list.SetItemText(row, kDiscIp, TextOf(entry.ip_text));
    list.SetItemText(row, kDiscVersion, ProtocolVersionText(entry));
    list.SetItemText(row, kDiscProduct,
                     DisplayDeviceText(FormatProductName(TextOf(entry.product_name))));
    list.SetItemText(row, kDiscSystem, DisplayDeviceText(TextOf(entry.system_name)));
    list.SetItemText(row, kDiscMode, IpModeText(entry.ip_mode));
    list.SetItemText(row, kDiscLocation, DisplayDeviceText(TextOf(entry.location)));
    list.SetItemText(row, kDiscMask, TextOf(entry.mask_text));
    list.SetItemText(row, kDiscGateway, TextOf(entry.gateway_text));

    if (entry.loader == kLoaderMarker) {
        PaintRowRed(list, row, 0);
        return;
    }
    if (GroupIntervalDisplayDeviceText(settings))
        list.SetItemText(row, kDiscGroupInterval,
                         entry.group_interval == -1 ? std::string() : GroupIntervalText(entry));
}

void DrawMonitorRow(DeviceLists& lists, const Settings& settings, int index) {
    if (index < 0 || index >= static_cast<int>(kTableSize))
        return;
    DeviceRecord& entry = lists.monitor[static_cast<size_t>(index)];
    CReportCtrl& list = lists.monitorList;

    int row = list.FindRowByText(kMonIp, TextOf(entry.ip_text), kRowSearchLimit);
    if (row < 0 && entry.mac_text[0] != '\0')
        row = list.FindRowByText(kMonMac, TextOf(entry.mac_text), kRowSearchLimit);
    if (row < 0)
        row = index;

    if (entry.row_flag != kRowNew && row < list.GetItemCount()) {
        // The image changes only by replacing the row; the cells this reply leaves alone and
        // the row's selection stay as they were.
        const uint32_t data = list.GetItemData(row);
        const bool selected = list.RowMatches(row, kStateSelected);
        std::vector<std::string> texts;
        for (int c = 0; c < list.GetColumnCount(); ++c)
            texts.push_back(list.GetItemText(row, c));
        list.DeleteItem(row);
        row = list.InsertItem(row, "", entry.status_mark, data);
        for (int c = 1; c < static_cast<int>(texts.size()); ++c)
            list.SetItemText(row, c, texts[static_cast<size_t>(c)]);
        if (selected)
            list.SetItemStates(row, kStateSelected);
    } else {
        row = list.InsertItem(index, "", entry.status_mark, static_cast<uint32_t>(index));
    }
    if (row < 0)
        return;

    list.SetItemText(row, kMonIp, TextOf(entry.ip_text));
    list.SetItemText(row, kMonMac, TextOf(entry.mac_text));
    list.SetItemText(row, kMonVersion, ProtocolVersionText(entry));
    list.SetItemText(row, kMonProduct,
                     DisplayDeviceText(FormatProductName(TextOf(entry.product_name))));
    list.SetItemText(row, kMonMask, TextOf(entry.mask_text));
    list.SetItemText(row, kMonGateway, TextOf(entry.gateway_text));
    if (entry.ip_mode != kIpModeNotReported)
        list.SetItemText(row, kMonMode, IpModeText(entry.ip_mode));

    if (entry.loader != kLoaderMarker) {
        list.SetItemText(row, kMonSystem, DisplayDeviceText(TextOf(entry.system_name)));
        list.SetItemText(row, kMonLocation, DisplayDeviceText(TextOf(entry.location)));
        if (GroupIntervalDisplayDeviceText(settings) && entry.group_interval != -1)
            list.SetItemText(row, kMonGroupInterval, GroupIntervalText(entry));
    } else {
        PaintRowRed(list, row, kMonIp);
    }

    for (int i = 0; i < list.GetItemCount(); ++i)
        list.SetItemData(i, static_cast<uint32_t>(i));
}

}  // namespace pm
