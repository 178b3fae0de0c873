#pragma once
// Control and menu identifiers of the main window. Tests and the lab find the window's
// widgets and menu actions by these numbers.
namespace pm::ids {

// Controls.
constexpr int kDiscoveryList = 1000;
constexpr int kDiscover = 1001;
constexpr int kAddToMonitor = 1002;
constexpr int kMonitorList = 1003;
constexpr int kDeleteItem = 1004;
constexpr int kAddItem = 1005;
constexpr int kChangePassword = 1008;
constexpr int kConfigureSettings = 1009;
constexpr int kAccessWeb = 1015;
constexpr int kUpgradeFirmware = 1042;
constexpr int kExit = 1053;
constexpr int kDhcpRefresh = 1131;

// Menu items.
constexpr int kMonitorSave = 32771;
constexpr int kMonitorLoad = 32773;
constexpr int kMenuExit = 32774;
constexpr int kMonitorSaveAs = 32775;
constexpr int kViewLog = 32776;
constexpr int kRefresh15s = 32778;
constexpr int kRefresh30s = 32779;
constexpr int kRefresh1min = 32780;
constexpr int kRefresh2min = 32781;
constexpr int kRefresh5min = 32782;
constexpr int kAbout = 32783;
constexpr int kClearLog = 32791;
constexpr int kGroupInterval = 32793;

}  // namespace pm::ids
