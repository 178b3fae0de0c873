// The real main window, offscreen, inside the lab's manager namespace: it discovers
// simulated switches, moves two of them to the monitor list and saves it; one switch goes
// silent and is marked and logged, then answers again and loses the mark; a restart
// restores the saved list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/CommandIds.h"
#include "app/RealNetwork.h"
#include "app/qt/CPortmesaDlg.h"
#include "app/qt/QtLoop.h"
#include "controls/qt/CReportView.h"
#include "inventory/RowBuilders.h"
#include "lab/support/Lab.h"
#include "storage/EventLog.h"
#include "storage/MonitorFile.h"
#include "storage/SettingsFile.h"
#include "support/FakeUi.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

constexpr uint16_t kBasePort = 4000;
constexpr char kGroup[] = "239.1.2.3";
constexpr uint32_t kHeaderId = 0x50564D55;

struct LabSwitch {
    int segment;
    const char* cidr;
    const char* ip;
    uint8_t macTail;
};
const LabSwitch kSwitches[] = {
    {0, "10.201.1.10/24", "10.201.1.10", 1},
    {0, "10.201.2.20/24", "10.201.2.20", 2},
    {1, "10.202.1.30/24", "10.202.1.30", 3},
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One run of the utility: the real network, the program and the main window.
struct Session {
    explicit Session(const std::string& configFolder)
        : network(ui, loop), program(ui, loop, network.GetTransport(), network.Interfaces()) {
        program.configFolder = configFolder;
        MainWindowHooks hooks;
        hooks.startTransport = [this] {
            network.Start(program.settings, [this](int id) { window->OnSocketEvent(id); });
        };
        hooks.closeTransport = [this] { network.Stop(); };
        window = std::make_unique<CPortmesaDlg>(program, hooks);
        window->Start();
        window->show();
    }
    int MonitorRow(const char* ip) const {
        return program.lists.monitorList.FindRowByText(kMonIp, ip);
    }
    void ClickDiscoveryRow(const char* ip, Qt::KeyboardModifiers modifiers) {
        CReportView* view = window->DiscoveryView();
        const int row = program.lists.discoveryList.FindRowByText(kDiscIp, ip);
        ASSERT_GE(row, 0) << ip;
        const QPoint at = view->visualRect(view->model()->index(row, kDiscIp)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, at);
    }

    test::FakeUi ui;  // records messages instead of opening boxes that would wait for a click
    QtLoop loop;
    RealNetwork network;
    Program program;
    std::unique_ptr<CPortmesaDlg> window;
};

TEST(GuiMainWindowLab, DiscoverMonitorSilenceComeBackAndRestart) {
    if (!lab::CanBuildLabs())
        GTEST_SKIP() << "lab tests need root and the ip tool";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "gui_main_window_lab";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    // The window's own preferences stay out of the user's folders.
    QTemporaryDir preferences;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, preferences.path());

    lab::Lab lab;
    std::vector<std::string> names;
    for (const auto& s : kSwitches)
        names.push_back(lab.AddSwitch(s.segment, s.cidr));
    ASSERT_TRUE(lab.Ok());
    sim::SimOptions options;
    options.basePort = kBasePort;
    options.group = kGroup;
    std::vector<std::unique_ptr<lab::SimThread>> sims;
    for (size_t i = 0; i < std::size(kSwitches); ++i) {
        sim::SwitchConfig c;
        c.ip = *sim::ParseIp(kSwitches[i].ip);
        c.mac = {2, 0x50, 0x4D, 0, 0, kSwitches[i].macTail};
        c.iface = "eth0";
        c.systemName = "lab-" + std::to_string(i + 1);
        sims.push_back(std::make_unique<lab::SimThread>(names[i], options, std::vector{c}));
        ASSERT_EQ(sims.back()->Error(), "");
    }
    lab::EnterNamespace inManager(lab.Manager());
    ASSERT_TRUE(inManager.Ok());
    // Never open the utility's sockets anywhere but in the lab's manager namespace.
    ASSERT_TRUE(sim::InNamedNetworkNamespace());

    // Settings: polls every second (timer 1 still ticks every 15 s from start-up).
    test::TempDir dir;
    Settings settings;
    settings.header_id = kHeaderId;
    settings.base_port = kBasePort;
    std::snprintf(settings.multicast_group, sizeof settings.multicast_group, "%s", kGroup);
    settings.multicast_interface_on_off = 1;
    settings.refresh_time = 1;
    const auto file = BuildSettingsFile(settings);
    std::ofstream(SettingsFilePath(dir.path().string()), std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));

    const char* first = kSwitches[0].ip;
    const char* third = kSwitches[2].ip;
    // Discovery rows follow the order the replies came in, so the saved order is read back
    // from the list rather than assumed.
    std::string saved[2];
    {
        Session s(dir.path().string());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(s.window.get()));
        QTest::mouseClick(s.window->Button(ids::kDiscover), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return s.program.lists.discoveryList.GetItemCount() == 3; }, 10000))
            << s.program.lists.discoveryList.GetItemCount() << " switches found";

        s.ClickDiscoveryRow(first, Qt::NoModifier);
        s.ClickDiscoveryRow(third, Qt::ControlModifier);
        QTest::mouseClick(s.window->Button(ids::kAddToMonitor), Qt::LeftButton);
        ASSERT_EQ(s.program.lists.monitorList.GetItemCount(), 2);
        EXPECT_EQ(s.program.lists.discoveryList.GetItemCount(), 1);
        EXPECT_GE(s.MonitorRow(first), 0);
        EXPECT_GE(s.MonitorRow(third), 0);

        saved[0] = s.program.lists.monitorList.GetItemText(0, kMonIp);
        saved[1] = s.program.lists.monitorList.GetItemText(1, kMonIp);
        s.window->MenuAction(ids::kMonitorSave)->trigger();
        EXPECT_EQ(std::filesystem::file_size(MonitorFilePath(dir.path().string())),
                  2 * kRecordSize);

        // The first switch goes silent: marked and logged at a tick of timer 1.
        sims[0]->Sim().Update(0, [](sim::SwitchConfig& c) { c.silent = true; });
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return s.program.lists.monitorList.GetItemImage(s.MonitorRow(first)) == 1; },
            40000));
        const std::string log = ReadText(LogFilePath(dir.path().string()));
        EXPECT_NE(log.find(std::string(" ") + first + " Not alive \r\n"), std::string::npos) << log;
        EXPECT_EQ(log.find(third), std::string::npos);
        EXPECT_EQ(s.program.lists.monitorList.GetItemImage(s.MonitorRow(third)), -1);

        // It answers again and loses the mark at its next reply.
        sims[0]->Sim().Update(0, [](sim::SwitchConfig& c) { c.silent = false; });
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return s.program.lists.monitorList.GetItemImage(s.MonitorRow(first)) == -1; },
            10000));

        EXPECT_TRUE(s.ui.messages.empty()) << s.ui.messages.front().text;
        QTest::mouseClick(s.window->Button(ids::kExit), Qt::LeftButton);
        EXPECT_FALSE(s.window->isVisible());
    }
    {
        Session s(dir.path().string());
        ASSERT_EQ(s.program.lists.monitorList.GetItemCount(), 2);
        EXPECT_EQ(s.program.lists.monitorList.GetItemText(0, kMonIp), saved[0]);
        EXPECT_EQ(s.program.lists.monitorList.GetItemText(1, kMonIp), saved[1]);
        const int firstRow = s.program.lists.monitorList.FindRowByText(kMonIp, first);
        ASSERT_GE(firstRow, 0);
        EXPECT_EQ(s.program.lists.monitorList.GetItemText(firstRow, kMonSystem), "lab-1");
        // The restored switches answer their polls.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return s.program.lists.monitor[0].answered == 1 &&
                       s.program.lists.monitor[1].answered == 1 &&
                       s.program.lists.monitor[1].missed_polls == 0 && s.loop.NowMs() > 2500;
            },
            5000));
        EXPECT_TRUE(s.ui.messages.empty());
        s.window->MenuAction(ids::kMenuExit)->trigger();
    }
}

}  // namespace
}  // namespace pm
