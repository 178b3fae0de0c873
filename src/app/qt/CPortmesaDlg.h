#pragma once
// The main window: the two device lists, the buttons and menus that start every operation,
// and the routing of the user's actions to the core.
#include <functional>
#include <map>
#include <memory>

#include "app/DiscoveryBusy.h"
#include "app/MonitorListFiles.h"
#include "app/Program.h"
#include "controls/qt/NoDefaultKeysDialog.h"
#include "inventory/MonitorListBaseline.h"

class QAction;
class QBoxLayout;
class QMenuBar;
class QProgressBar;
class QPushButton;

namespace pm {

class CReportView;
class MonitorStatusLine;
class NotificationSink;

// What the window needs from the transport, which main (or a lab test) owns.
struct MainWindowHooks {
    // Hands the window's socket-event handler to the transport and starts following the
    // local interfaces (the first pass opens the sockets).
    std::function<void()> startTransport;
    // Closes every socket; called once when the window closes, however it closes.
    std::function<void()> closeTransport;
    // Where a switch that goes down or comes back is announced; null: nowhere.
    NotificationSink* notifications = nullptr;
};

class CPortmesaDlg : public NoDefaultKeysDialog {
    Q_OBJECT
  public:
    explicit CPortmesaDlg(Program& program, MainWindowHooks hooks = {}, QWidget* parent = nullptr);
    ~CPortmesaDlg() override;
    // The start-up sequence; call once before showing the window.
    void Start();

    // By identifier, for tests and the lab: nullptr when there is none (a removed item).
    QAction* MenuAction(int id) const;
    QPushButton* Button(int id) const;
    CReportView* DiscoveryView() const { return discoveryView_; }
    CReportView* MonitorView() const { return monitorView_; }
    QMenuBar* MenuBar() const { return menuBar_; }
    // Shown while a discovery collects its first replies.
    QProgressBar* DiscoveryProgress() const { return discoveryProgress_; }
    // The empty row along the bottom of the window, for a status line.
    QBoxLayout* StatusSlot() const { return statusSlot_; }
    MonitorStatusLine* StatusLine() const { return statusLine_; }

    // A datagram is waiting behind this event identifier.
    void OnSocketEvent(int eventId);

  public slots:
    void done(int result) override;

  protected:
  private:
    void BuildControls();
    void BuildMenus();
    QPushButton* AddButton(int id, const char* caption);
    void SetTabOrder();
    void OnMenu(int id);
    SaveAnswer AskToSaveMonitorList();
    void OnListClicked(ListKind list);
    void OnColumnClicked(ListKind list, int column);

    Program& program_;
    MainWindowHooks hooks_;
    bool closed_ = false;
    CReportView* discoveryView_ = nullptr;
    CReportView* monitorView_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QProgressBar* discoveryProgress_ = nullptr;
    QBoxLayout* statusSlot_ = nullptr;
    std::unique_ptr<DiscoveryBusy> discoveryBusy_;
    MonitorListBaseline monitorSaved_;  // the list as last saved or loaded
    MonitorStatusLine* statusLine_ = nullptr;
    std::map<int, QPushButton*> buttons_;
    std::map<int, QAction*> actions_;
};

}  // namespace pm
