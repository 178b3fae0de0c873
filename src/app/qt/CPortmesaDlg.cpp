#include "app/qt/CPortmesaDlg.h"

#include <QActionGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/CommandIds.h"
#include "app/DeviceSelection.h"
#include "app/DeviceWeb.h"
#include "app/MainWindowStartup.h"
#include "app/MonitorPolling.h"
#include "app/ProgramContexts.h"
#include "app/SocketEvents.h"
#include "app/qt/MonitorStatusLine.h"
#include "app/qt/WindowPreferences.h"
#include "config/qt/Add_remoteIP.h"
#include "config/qt/Change_Password.h"
#include "config/qt/Configuration_Set.h"
#include "config/qt/DHCP_Refresh.h"
#include "config/qt/GroupTimer.h"
#include "controls/qt/CAboutDlg.h"
#include "controls/qt/CReportView.h"
#include "controls/qt/DrawnImages.h"
#include "controls/qt/TabOrder.h"
#include "inventory/MonitorCommands.h"
#include "inventory/SortList.h"
#include "protocol/Discover.h"
#include "storage/EventLog.h"
#include "storage/MonitorFile.h"
#include "upgrade/qt/Firmware_Upgrade.h"

namespace pm {
namespace {

// However small the window gets, each list keeps its header, a few rows and its scroll bar.
constexpr int kListRowsAtLeast = 3;

int ListMinimumHeight(const CReportView& view) {
    return view.horizontalHeader()->sizeHint().height() +
           kListRowsAtLeast * view.verticalHeader()->defaultSectionSize() +
           view.horizontalScrollBar()->sizeHint().height() + 2 * view.frameWidth();
}

const char* const kLoaderNote =
    "Shown in red: the switch answers from its loader and needs a firmware upgrade";

}  // namespace

CPortmesaDlg::CPortmesaDlg(Program& program, MainWindowHooks hooks, QWidget* parent)
    : NoDefaultKeysDialog(parent), program_(program), hooks_(std::move(hooks)) {
    setObjectName("CPortmesaDlg");
    setWindowTitle("PARVEX Management Utility");
    setWindowIcon(AppIcon());
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    BuildControls();
    BuildMenus();
    SetTabOrder();
    discoveryBusy_ = std::make_unique<DiscoveryBusy>(
        program_.loop, [this](bool busy) { discoveryProgress_->setVisible(busy); });
    resize(702, 570);
}

CPortmesaDlg::~CPortmesaDlg() {
    // The program outlives the window: its timers must not call into a window that is gone.
    if (!closed_)
        StopMainWindowTimers(program_);
}

QPushButton* CPortmesaDlg::AddButton(int id, const char* caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString("ctl_%1").arg(id));
    // Enter never clicks a button by itself: the keyboard only moves the focus.
    button->setAutoDefault(false);
    button->setDefault(false);
    buttons_[id] = button;
    return button;
}

void CPortmesaDlg::BuildControls() {
    discoveryView_ = new CReportView(program_.lists.discoveryList, false, this);
    discoveryView_->setObjectName("ctl_1000");
    monitorView_ = new CReportView(program_.lists.monitorList, true, this);
    monitorView_->setObjectName("ctl_1003");
    for (CReportView* view : {discoveryView_, monitorView_})
        view->reportModel()->SetColorNote(kPureRed, kLoaderNote);

    // No end of a discovery is known: the bar only shows that replies are awaited. Its room
    // is kept while it is hidden, so nothing moves when it shows.
    discoveryProgress_ = new QProgressBar(this);
    discoveryProgress_->setObjectName("discoveryBusy");
    discoveryProgress_->setRange(0, 0);
    discoveryProgress_->setTextVisible(false);
    discoveryProgress_->setToolTip("Waiting for the switches' replies");
    QSizePolicy keepRoom = discoveryProgress_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    discoveryProgress_->setSizePolicy(keepRoom);
    discoveryProgress_->hide();

    auto* discoveryBox = new QGroupBox("Discovery List", this);
    auto* discoveryLayout = new QVBoxLayout(discoveryBox);
    discoveryLayout->addWidget(discoveryView_, 1);
    auto* discoverRow = new QHBoxLayout;
    discoverRow->addWidget(discoveryProgress_);
    discoverRow->addStretch();
    discoverRow->addWidget(AddButton(ids::kDiscover, "&Discover"));
    discoveryLayout->addLayout(discoverRow);

    auto* moveRow = new QHBoxLayout;
    moveRow->addStretch();
    moveRow->addWidget(AddButton(ids::kAddToMonitor, "Add to &Monitor List"));
    auto* arrow = new QLabel(this);
    arrow->setPixmap(DownArrowImage());
    moveRow->addWidget(arrow);
    moveRow->addStretch();

    auto* monitorBox = new QGroupBox("Monitor List", this);
    auto* monitorLayout = new QVBoxLayout(monitorBox);
    monitorLayout->addWidget(monitorView_, 1);
    auto* itemRow = new QHBoxLayout;
    itemRow->addStretch();
    itemRow->addWidget(AddButton(ids::kAddItem, "Add &item"));
    itemRow->addSpacing(12);
    itemRow->addWidget(AddButton(ids::kDeleteItem, "D&elete item"));
    monitorLayout->addLayout(itemRow);

    auto* settingBox = new QGroupBox("Device Setting", this);
    auto* settingRow = new QHBoxLayout(settingBox);
    settingRow->addWidget(AddButton(ids::kConfigureSettings, "&Configure settings"));
    settingRow->addStretch();
    settingRow->addWidget(AddButton(ids::kChangePassword, "Change &password"));
    settingRow->addStretch();
    settingRow->addWidget(AddButton(ids::kUpgradeFirmware, "&Upgrade firmware"));
    settingRow->addStretch();
    settingRow->addWidget(AddButton(ids::kAccessWeb, "Access &web"));
    settingRow->addStretch();
    settingRow->addWidget(AddButton(ids::kDhcpRefresh, "DHCP &Refresh"));

    auto* exitRow = new QHBoxLayout;
    exitRow->addStretch();
    exitRow->addWidget(AddButton(ids::kExit, "E&xit"));

    // The two lists take what the window grows by; everything else keeps its size.
    auto* main = new QVBoxLayout(this);
    main->addWidget(discoveryBox, 128);
    main->addLayout(moveRow);
    main->addWidget(monitorBox, 132);
    main->addWidget(settingBox);
    main->addLayout(exitRow);
    statusSlot_ = new QHBoxLayout;
    main->addLayout(statusSlot_);
    statusLine_ = new MonitorStatusLine(program_, hooks_.notifications, this);
    connect(statusLine_, &MonitorStatusLine::titleChanged, this, &QWidget::setWindowTitle);
    statusSlot_->addWidget(statusLine_);

    // Keys for the buttons used most; the menus carry their own.
    const std::pair<int, QKeySequence> keys[] = {{ids::kDiscover, QKeySequence(Qt::Key_F5)},
                                                 {ids::kDeleteItem, QKeySequence(Qt::Key_Delete)}};
    for (const auto& [id, key] : keys) {
        QPushButton* button = buttons_.at(id);
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
        button->setToolTip(key.toString(QKeySequence::NativeText));
    }

    auto connectButton = [this](int id, auto fn) {
        connect(buttons_.at(id), &QPushButton::clicked, this, fn);
    };
    connectButton(ids::kDiscover, [this] {
        discoveryBusy_->Started(
            Discover(program_.lists, program_.net, program_.settings, program_.ui));
    });
    connectButton(ids::kAddToMonitor,
                  [this] { AddSelectedToMonitor(program_.lists, program_.settings, program_.ui); });
    connectButton(ids::kAddItem, [this] {
        AddDeviceByAddress(program_.lists, program_.settings, program_.ui,
                           Add_remoteIP::Form(program_, this));
    });
    connectButton(ids::kDeleteItem, [this] { DeleteFromMonitor(program_.lists, program_.ui); });
    connectButton(ids::kConfigureSettings, [this] {
        if (SelectOneDevice(program_))
            Configuration_Set::Run(program_, this);
    });
    connectButton(ids::kChangePassword, [this] {
        if (SelectDeviceForPasswordChange(program_))
            Change_Password::Run(program_, this);
    });
    connectButton(ids::kUpgradeFirmware, [this] {
        if (SelectOneDevice(program_))
            RunFirmwareUpgrade(UpgradeContextOf(program_), this);
    });
    connectButton(ids::kDhcpRefresh, [this] {
        if (SelectOneDevice(program_))
            DHCP_Refresh::Run(program_, this);
    });
    connectButton(ids::kAccessWeb, [this] { OpenDeviceWeb(program_, WebRequest::Button); });
    connectButton(ids::kExit, [this] { accept(); });

    connect(discoveryView_, &CReportView::rowDoubleClicked, this,
            [this] { AddOneToMonitor(program_.lists, program_.settings, program_.ui); });
    connect(monitorView_, &CReportView::rowDoubleClicked, this,
            [this] { OpenDeviceWeb(program_, WebRequest::DoubleClick); });
    connect(discoveryView_, &CReportView::itemChanged, this,
            [this] { OnListItemChanged(program_, ListKind::Discovery); });
    connect(monitorView_, &CReportView::itemChanged, this,
            [this] { OnListItemChanged(program_, ListKind::Monitor); });
    connect(discoveryView_, &CReportView::listClicked, this,
            [this] { OnListClicked(ListKind::Discovery); });
    connect(monitorView_, &CReportView::listClicked, this,
            [this] { OnListClicked(ListKind::Monitor); });
    connect(discoveryView_, &CReportView::columnClicked, this,
            [this](int column) { OnColumnClicked(ListKind::Discovery, column); });
    connect(monitorView_, &CReportView::columnClicked, this,
            [this](int column) { OnColumnClicked(ListKind::Monitor, column); });
}

void CPortmesaDlg::BuildMenus() {
    menuBar_ = new QMenuBar(this);
    layout()->setMenuBar(menuBar_);
    auto add = [this](QMenu* menu, int id, const char* caption) {
        QAction* action = menu->addAction(caption);
        action->setData(id);
        action->setObjectName(QString("menu_%1").arg(id));
        connect(action, &QAction::triggered, this, [this, id] { OnMenu(id); });
        actions_[id] = action;
        return action;
    };

    QMenu* file = menuBar_->addMenu("&File");
    add(file, ids::kMonitorSave, "Monitor &save")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    add(file, ids::kMonitorSaveAs, "Monitor save &as");
    add(file, ids::kMonitorLoad, "Monitor &load")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    file->addSeparator();
    add(file, ids::kMenuExit, "E&xit")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* view = menuBar_->addMenu("&View");
    add(view, ids::kViewLog, "&View log");
    add(view, ids::kClearLog, "&Clear log");

    QMenu* option = menuBar_->addMenu("&Option");
    QMenu* refresh = option->addMenu("&Refresh time");
    auto* group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::pair<int, const char*> items[] = {{ids::kRefresh15s, "&15 secs"},
                                                 {ids::kRefresh30s, "&30 secs"},
                                                 {ids::kRefresh1min, "1 &min"},
                                                 {ids::kRefresh2min, "&2 mins"},
                                                 {ids::kRefresh5min, "&5 mins"}};
    for (const auto& [id, caption] : items) {
        QAction* action = add(refresh, id, caption);
        action->setCheckable(true);
        group->addAction(action);
    }
    add(option, ids::kGroupInterval, "&Group Interval");

    QMenu* help = menuBar_->addMenu("&Help");
    add(help, ids::kAbout, "&About");
}

void CPortmesaDlg::SetTabOrder() {
    // Control to control in reading order; inside a list the arrow keys move.
    pm::SetTabOrder({discoveryView_, buttons_.at(ids::kDiscover), buttons_.at(ids::kAddToMonitor),
                     monitorView_, buttons_.at(ids::kAddItem), buttons_.at(ids::kDeleteItem),
                     buttons_.at(ids::kConfigureSettings), buttons_.at(ids::kChangePassword),
                     buttons_.at(ids::kUpgradeFirmware), buttons_.at(ids::kAccessWeb),
                     buttons_.at(ids::kDhcpRefresh), buttons_.at(ids::kExit)});
}

QAction* CPortmesaDlg::MenuAction(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QPushButton* CPortmesaDlg::Button(int id) const {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void CPortmesaDlg::Start() {
    setWindowTitle("Parvex Management Utility");
    const StartupOutcome outcome = StartMainWindow(program_, hooks_.startTransport);
    if (!outcome.groupIntervalItem) {
        if (QAction* item = MenuAction(ids::kGroupInterval)) {
            actions_.erase(ids::kGroupInterval);
            delete item;
        }
    }
    buttons_.at(ids::kDhcpRefresh)->setEnabled(false);
    if (QAction* item = MenuAction(outcome.checkedRefreshItem))
        item->setChecked(true);
    monitorSaved_.Mark(program_.lists);  // as restored from its file
    for (CReportView* view : {discoveryView_, monitorView_})
        view->setMinimumHeight(ListMinimumHeight(*view));
    RestoreWindowPreferences(*this, *discoveryView_, *monitorView_);
}

void CPortmesaDlg::OnMenu(int id) {
    switch (id) {
        case ids::kMonitorSave:
            SaveMonitorListToFolder(program_.lists, program_.ui, program_.configFolder,
                                    monitorSaved_);
            return;
        case ids::kMonitorSaveAs:
            SaveMonitorListToChosenFile(program_.lists, program_.ui, monitorSaved_);
            return;
        case ids::kMonitorLoad:
            LoadMonitorListFromChosenFile(program_.lists, program_.settings, program_.ui,
                                          monitorSaved_);
            return;
        case ids::kMenuExit:
            reject();
            return;
        case ids::kViewLog:
            ViewLog(program_.ui, program_.LogFolder());
            return;
        case ids::kClearLog:
            ClearLog(program_.LogFolder());
            return;
        case ids::kGroupInterval:
            GroupTimer::Run(program_, this);
            return;
        case ids::kAbout: {
            CAboutDlg about(this);
            about.exec();
            return;
        }
        default:
            if (ChooseRefreshTime(program_, id)) {
                if (QAction* item = MenuAction(id))
                    item->setChecked(true);
            }
            return;
    }
}

void CPortmesaDlg::OnListClicked(ListKind list) {
    if (const auto enable = DhcpRefreshEnabling(program_, list))
        buttons_.at(ids::kDhcpRefresh)->setEnabled(*enable);
}

void CPortmesaDlg::OnColumnClicked(ListKind list, int column) {
    SortList(program_.lists, program_.sortAscending, list, column);
}

void CPortmesaDlg::OnSocketEvent(int eventId) {
    OnDeviceSocketEvent(program_, eventId);
}

SaveAnswer CPortmesaDlg::AskToSaveMonitorList() {
    QMessageBox box(QMessageBox::Warning, "Warning", QString::fromUtf8(kSaveMonitorListQuestion),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveAnswer::Save;
        case QMessageBox::Discard:
            return SaveAnswer::Discard;
        default:
            return SaveAnswer::Cancel;
    }
}

void CPortmesaDlg::done(int result) {
    if (!closed_) {
        // A monitor list changed since it was last saved or loaded is not thrown away unasked.
        if (monitorSaved_.Changed(program_.lists) &&
            !MayQuitAfter(AskToSaveMonitorList(), program_.lists, program_.ui,
                          program_.configFolder, monitorSaved_))
            return;
        closed_ = true;
        SaveWindowPreferences(*this, *discoveryView_, *monitorView_);
        StopMainWindowTimers(program_);
        if (hooks_.closeTransport)
            hooks_.closeTransport();
    }
    QDialog::done(result);
}

}  // namespace pm
