// The main window offscreen: what only the GUI does (columns, menus, keys, clicks that reach
// the core, layout, remembered preferences, the question on quitting, closing).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/CommandIds.h"
#include "app/qt/CPortmesaDlg.h"
#include "controls/qt/CReportView.h"
#include "inventory/RowBuilders.h"
#include "storage/MonitorFile.h"
#include "storage/SettingsFile.h"
#include "support/MonitoredDevices.h"
#include "support/TestProgram.h"
#include "support/qt/LayoutCheck.h"

namespace pm {
namespace {

// A caption as shown, without its mnemonic mark.
QString Shown(const QString& caption) {
    return QString(caption).remove('&');
}

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        // The window's preferences go to a folder of this test's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, preferences.path());
    }
    void Open(int featureOn, int refreshTime) {
        Settings s = p.settings;
        s.multicast_interface_on_off = featureOn;
        s.refresh_time = refreshTime;
        const auto file = BuildSettingsFile(s);
        std::ofstream(SettingsFilePath(p.configFolder), std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()),
                   static_cast<std::streamsize>(file.size()));
        window = std::make_unique<CPortmesaDlg>(
            p, MainWindowHooks{[this] { ++transportStarts; }, [this] { ++transportCloses; }});
        window->Start();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    std::vector<int> Widths(CReportView* view) const {
        std::vector<int> out;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            out.push_back(view->horizontalHeader()->sectionSize(c));
        return out;
    }
    QPoint Cell(CReportView* view, int row, int column) const {
        return view->visualRect(view->model()->index(row, column)).center();
    }

    // Answers the next message box with the given button, keeping its text.
    void AnswerNextBox(QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            boxTexts << box->text();
            box->button(button)->click();
        });
    }
    void Activate() {
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QTemporaryDir preferences;
    test::TestProgram t;
    Program& p = t.program;
    std::unique_ptr<CPortmesaDlg> window;
    QStringList boxTexts;
    int transportStarts = 0;
    int transportCloses = 0;
};

TEST_F(MainWindowTest, ListsHaveTheirColumnsAndWidths) {
    Open(1, 15);
    EXPECT_EQ(window->windowTitle(), "Parvex Management Utility");
    EXPECT_EQ(transportStarts, 1);
    EXPECT_EQ(Widths(window->DiscoveryView()),
              (std::vector<int>{115, 100, 100, 100, 100, 100, 100, 100, 100, 100}));
    EXPECT_EQ(Widths(window->MonitorView()),
              (std::vector<int>{20, 95, 100, 100, 100, 100, 100, 100, 100, 100, 100}));
    auto* model = window->MonitorView()->model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "S");
    EXPECT_EQ(model->headerData(10, Qt::Horizontal).toString(), "Group Interval");
    EXPECT_TRUE(window->MonitorView()->showGrid());
    EXPECT_EQ(window->MonitorView()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(window->DiscoveryView()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(window->Button(ids::kDhcpRefresh)->isEnabled());
    EXPECT_EQ(Shown(window->Button(ids::kAddToMonitor)->text()), "Add to Monitor List");
}

TEST_F(MainWindowTest, MenusCarryEveryItemWithItsId) {
    Open(1, 60);
    const std::pair<int, const char*> items[] = {{ids::kMonitorSave, "Monitor save"},
                                                 {ids::kMonitorSaveAs, "Monitor save as"},
                                                 {ids::kMonitorLoad, "Monitor load"},
                                                 {ids::kMenuExit, "Exit"},
                                                 {ids::kViewLog, "View log"},
                                                 {ids::kClearLog, "Clear log"},
                                                 {ids::kRefresh15s, "15 secs"},
                                                 {ids::kRefresh30s, "30 secs"},
                                                 {ids::kRefresh1min, "1 min"},
                                                 {ids::kRefresh2min, "2 mins"},
                                                 {ids::kRefresh5min, "5 mins"},
                                                 {ids::kGroupInterval, "Group Interval"},
                                                 {ids::kAbout, "About"}};
    for (const auto& [id, caption] : items) {
        QAction* action = window->MenuAction(id);
        ASSERT_NE(action, nullptr) << caption;
        EXPECT_EQ(Shown(action->text()), caption);
        EXPECT_EQ(action->data().toInt(), id);
    }
    QStringList menus;
    for (QAction* top : window->MenuBar()->actions())
        menus << top->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&View", "&Option", "&Help"}));

    // The check mark follows refresh_time, then the user's choice.
    EXPECT_TRUE(window->MenuAction(ids::kRefresh1min)->isChecked());
    window->MenuAction(ids::kRefresh5min)->trigger();
    EXPECT_TRUE(window->MenuAction(ids::kRefresh5min)->isChecked());
    EXPECT_FALSE(window->MenuAction(ids::kRefresh1min)->isChecked());
    EXPECT_EQ(t.loop.PeriodOf(p.RefreshTimer()), 300000u);
    window->MenuAction(ids::kRefresh5min)->trigger();  // choosing it again keeps the mark
    EXPECT_TRUE(window->MenuAction(ids::kRefresh5min)->isChecked());
}

TEST_F(MainWindowTest, GroupIntervalItemIsGoneWhenTheFeatureIsOff) {
    Open(0, 45);
    EXPECT_EQ(window->MenuAction(ids::kGroupInterval), nullptr);
    for (QAction* top : window->MenuBar()->actions())
        for (QAction* item : top->menu()->actions())
            EXPECT_NE(Shown(item->text()), "Group Interval");
    EXPECT_EQ(window->DiscoveryView()->model()->columnCount(), 9);
    for (int id : {ids::kRefresh15s, ids::kRefresh30s, ids::kRefresh1min, ids::kRefresh2min,
                   ids::kRefresh5min})
        EXPECT_FALSE(window->MenuAction(id)->isChecked());
}

TEST_F(MainWindowTest, EnterAndEscapeLeaveTheWindowOpen) {
    Open(1, 15);
    for (QWidget* target : std::initializer_list<QWidget*>{window.get(), window->MonitorView(),
                                                           window->Button(ids::kExit),
                                                           window->Button(ids::kDiscover)}) {
        target->setFocus();
        for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(target, key);
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_EQ(transportCloses, 0);
    QTest::mouseClick(window->Button(ids::kExit), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(transportCloses, 1);
    EXPECT_FALSE(t.loop.TimerRunning(p.RefreshTimer()));
}

TEST_F(MainWindowTest, CloseBoxAndMenuExitCloseTheTransportOnce) {
    Open(1, 15);
    window->close();
    EXPECT_FALSE(window->isVisible());
    window->MenuAction(ids::kMenuExit)->trigger();
    EXPECT_EQ(transportCloses, 1);
}

TEST_F(MainWindowTest, ClicksAndDoubleClicksReachTheCore) {
    Open(1, 15);
    DeviceRecord dhcp = test::MakeDevice("10.1.0.20", 20);
    dhcp.ip_mode = 1;
    dhcp.revision = 3;
    test::AddMonitored(p, dhcp);
    test::AddDiscovered(p, test::MakeDevice("10.1.0.40", 40));
    test::AddDiscovered(p, test::MakeDevice("10.1.0.41", 41));

    // A click on a DHCP device enables "DHCP Refresh"; the lists keep one selection.
    auto* monitor = window->MonitorView();
    QTest::mouseClick(monitor->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(monitor, 0, 1));
    EXPECT_TRUE(window->Button(ids::kDhcpRefresh)->isEnabled());
    auto* discovery = window->DiscoveryView();
    QTest::mouseClick(discovery->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(discovery, 1, 1));
    EXPECT_FALSE(window->Button(ids::kDhcpRefresh)->isEnabled());
    EXPECT_TRUE(p.lists.monitorList.SelectedRows().empty());
    EXPECT_FALSE(monitor->selectionModel()->hasSelection());

    // The space bar changes nothing.
    discovery->setFocus();
    QTest::keyClick(discovery, Qt::Key_Down);
    QTest::keyClick(discovery, Qt::Key_Space);
    EXPECT_EQ(p.lists.discoveryList.SelectedRows().size(), 1u);

    // A double-click moves a discovered device to the monitor list.
    QTest::mouseClick(discovery->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(discovery, 1, 1));
    QTest::mouseDClick(discovery->viewport(), Qt::LeftButton, Qt::NoModifier,
                       Cell(discovery, 1, 1));
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(kStateAny), 1);
    ASSERT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 2);
    EXPECT_EQ(monitor->model()->data(monitor->model()->index(1, 1)).toString(), "10.1.0.41");

    // A device operation without a selection says so.
    for (int r = 0; r < p.lists.monitorList.GetItemCount(kStateAny); ++r)
        p.lists.monitorList.SetItemStates(r, kStateUnselected);
    for (int r = 0; r < p.lists.discoveryList.GetItemCount(kStateAny); ++r)
        p.lists.discoveryList.SetItemStates(r, kStateUnselected);
    t.ui.Clear();
    QTest::mouseClick(window->Button(ids::kConfigureSettings), Qt::LeftButton);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Please select one device"});
}

TEST_F(MainWindowTest, ColumnClickSortsAndAboutShowsTheVersion) {
    Open(1, 15);
    for (int i : {1, 3, 2})
        test::AddMonitored(p, test::MakeDevice("10.1.0." + std::to_string(20 + i), 20 + i));
    auto* header = window->MonitorView()->horizontalHeader();
    const QPoint onIp(header->sectionViewportPosition(kMonIp) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, onIp);
    auto* model = window->MonitorView()->model();
    QStringList shown;
    for (int r = 0; r < model->rowCount(); ++r)
        shown << model->data(model->index(r, kMonIp)).toString();
    EXPECT_EQ(shown,
              (QStringList{"10.1.0.23", "10.1.0.22", "10.1.0.21"}));  // first click: descending

    QString version, notice;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        version = box->findChild<QLabel*>("ctl_1115")->text();
        notice = box->findChild<QLabel*>("ctl_1117")->text();
        EXPECT_EQ(box->windowTitle(), "About");
        QTest::mouseClick(box->findChild<QPushButton*>("ctl_1"), Qt::LeftButton);
    });
    window->MenuAction(ids::kAbout)->trigger();
    EXPECT_EQ(version, "Parvex Management Utility Version 3.5.4");
    EXPECT_FALSE(notice.isEmpty());
}

// The lists take what the window grows by. At its smallest, at a large size and with a large
// font, nothing overlaps, no caption is cut and each list keeps a few rows.
TEST_F(MainWindowTest, LayoutHoldsSmallLargeAndWithALargeFont) {
    const QFont normal = QApplication::font();
    struct Case {
        const char* name;
        QSize asked;
        double fontScale;
    };
    int smallListHeight = 0;
    for (const Case& c : {Case{"small", {400, 300}, 1.0}, Case{"large", {1600, 1100}, 1.0},
                          Case{"large font", {400, 300}, 1.8}}) {
        SCOPED_TRACE(c.name);
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * c.fontScale);
        QApplication::setFont(font);
        test::TestProgram fresh;
        CPortmesaDlg w(fresh.program);
        w.Start();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.resize(c.asked);
        QApplication::processEvents();

        EXPECT_EQ(w.size(), c.asked.expandedTo(w.minimumSizeHint()));
        for (const std::string& fault : test::LayoutFaults(w))
            ADD_FAILURE() << fault;
        for (CReportView* view : {w.DiscoveryView(), w.MonitorView()})
            EXPECT_GE(view->viewport()->height(), 3 * view->verticalHeader()->defaultSectionSize());
        if (c.fontScale == 1.0 && c.asked.width() < 1000) {
            smallListHeight = w.DiscoveryView()->height();
            EXPECT_LT(w.width(), 702);  // smaller than the window opens
        }
        if (c.asked.width() > 1000) {
            EXPECT_GT(w.DiscoveryView()->height(), smallListHeight + 250);
            EXPECT_GT(w.MonitorView()->width(), 1400);
        }
    }
    QApplication::setFont(normal);
}

TEST_F(MainWindowTest, TabWalksTheControlsNotTheCells) {
    Open(1, 15);
    Activate();
    test::AddMonitored(p, test::MakeDevice("10.1.0.20", 20));
    test::AddDiscovered(p, test::MakeDevice("10.1.0.40", 40));
    const std::vector<QWidget*> chain = {window->Button(ids::kDiscover),
                                         window->Button(ids::kAddToMonitor),
                                         window->MonitorView(),
                                         window->Button(ids::kAddItem),
                                         window->Button(ids::kDeleteItem),
                                         window->Button(ids::kConfigureSettings),
                                         window->Button(ids::kChangePassword),
                                         window->Button(ids::kUpgradeFirmware),
                                         window->Button(ids::kAccessWeb),
                                         window->Button(ids::kExit),  // DHCP Refresh is off
                                         window->DiscoveryView()};
    window->DiscoveryView()->setFocus();
    for (QWidget* next : chain) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window->Button(ids::kExit));
}

TEST_F(MainWindowTest, KeysReachTheirCommands) {
    Open(1, 15);
    Activate();
    QTest::keyClick(window.get(), Qt::Key_F5);  // Discover
    EXPECT_EQ(t.net.sent.size(), 2u);
    EXPECT_TRUE(window->DiscoveryProgress()->isVisible());
    t.loop.Advance(kDiscoveryBusyMs);
    EXPECT_FALSE(window->DiscoveryProgress()->isVisible());

    test::AddMonitored(p, test::MakeDevice("10.1.0.20", 20));
    test::AddDiscovered(p, test::MakeDevice("10.1.0.40", 40));
    auto* discovery = window->DiscoveryView();
    QTest::mouseClick(discovery->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(discovery, 0, 1));
    // A mnemonic clicks its button as a press would show it, a moment later.
    QTest::keyClick(window.get(), Qt::Key_M, Qt::AltModifier);  // Add to &Monitor List
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return p.lists.monitorList.GetItemCount(kStateAny) == 2; }, 2000));

    auto* monitor = window->MonitorView();
    QTest::mouseClick(monitor->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(monitor, 0, 1));
    QTest::keyClick(monitor, Qt::Key_Delete);  // the fake Ui answers OK
    ASSERT_EQ(t.ui.questions.size(), 1u);
    EXPECT_EQ(t.ui.questions[0].text, "Are you sure to delete this item ?");
    EXPECT_EQ(p.lists.monitorList.GetItemCount(kStateAny), 1);

    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);  // Monitor load, cancelled
    EXPECT_EQ(t.ui.proposedNames, std::vector<std::string>{"monitor.cfg"});
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);  // Monitor save
    EXPECT_EQ(std::filesystem::file_size(MonitorFilePath(p.configFolder)), kRecordSize);

    AnswerNextBox(QMessageBox::Cancel);  // the list is saved: no question expected
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);  // Exit
    EXPECT_TRUE(boxTexts.isEmpty());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(transportCloses, 1);
}

TEST_F(MainWindowTest, QuittingWithAChangedMonitorListAsksFirst) {
    Open(1, 15);
    test::AddMonitored(p, test::MakeDevice("10.1.0.20", 20));
    AnswerNextBox(QMessageBox::Cancel);
    QTest::mouseClick(window->Button(ids::kExit), Qt::LeftButton);
    EXPECT_EQ(boxTexts, QStringList{"Save the monitor list?"});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(transportCloses, 0);

    AnswerNextBox(QMessageBox::Save);
    window->MenuAction(ids::kMenuExit)->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(transportCloses, 1);
    EXPECT_EQ(std::filesystem::file_size(MonitorFilePath(p.configFolder)), kRecordSize);
}

TEST_F(MainWindowTest, DiscardingTheChangedListClosesWithoutSaving) {
    Open(1, 15);
    test::AddMonitored(p, test::MakeDevice("10.1.0.20", 20));
    AnswerNextBox(QMessageBox::Discard);
    window->close();  // the close box
    EXPECT_EQ(boxTexts, QStringList{"Save the monitor list?"});
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(std::filesystem::exists(MonitorFilePath(p.configFolder)));
}

TEST_F(MainWindowTest, GeometryAndColumnWidthsAreRemembered) {
    Open(1, 15);
    window->resize(760, 540);
    window->DiscoveryView()->horizontalHeader()->resizeSection(0, 140);
    window->MonitorView()->horizontalHeader()->resizeSection(3, 160);
    QTest::mouseClick(window->Button(ids::kExit), Qt::LeftButton);

    test::TestProgram next;
    next.program.settings = p.settings;
    CPortmesaDlg again(next.program);
    again.Start();
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.size(), QSize(760, 540));
    EXPECT_EQ(again.DiscoveryView()->horizontalHeader()->sectionSize(0), 140);
    EXPECT_EQ(again.MonitorView()->horizontalHeader()->sectionSize(3), 160);
    EXPECT_EQ(again.MonitorView()->horizontalHeader()->sectionSize(2), 100);
}

TEST_F(MainWindowTest, CellsTakeThePaletteExceptTheRedOfALoader) {
    Open(1, 15);
    test::AddMonitored(p, test::MakeDevice("10.1.0.20", 20));
    DeviceRecord loader = test::MakeDevice("10.1.0.21", 21);
    loader.loader = 100;
    test::AddMonitored(p, loader);
    auto* model = window->MonitorView()->model();
    for (int column : {0, 1, 3}) {
        EXPECT_FALSE(model->data(model->index(0, column), Qt::ForegroundRole).isValid());
        EXPECT_FALSE(model->data(model->index(0, column), Qt::BackgroundRole).isValid());
        EXPECT_FALSE(model->data(model->index(0, column), Qt::ToolTipRole).isValid());
        EXPECT_FALSE(model->data(model->index(1, column), Qt::BackgroundRole).isValid());
    }
    EXPECT_EQ(model->data(model->index(1, 1), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_TRUE(model->data(model->index(1, 1), Qt::ToolTipRole).toString().contains("loader"));
}

}  // namespace
}  // namespace pm
