#pragma once
// The status line at the bottom of the main window: how many switches are monitored and how
// many are not alive. It follows the monitor list model, reviews the list once after each
// burst of changes, asks for the matching window title, and hands each switch that went down
// or came back to the notification sink.
#include <QLabel>
#include <memory>

#include "app/AliveWatch.h"
#include "app/Program.h"

namespace pm {

class MonitorStatusLine : public QLabel {
    Q_OBJECT
  public:
    // notifications may be null: no desktop notifications.
    MonitorStatusLine(Program& program, NotificationSink* notifications, QWidget* parent = nullptr);

  signals:
    void titleChanged(const QString& title);

  private:
    void Schedule();
    void Review();

    Program& program_;
    NotificationSink* notifications_;
    AliveWatch watch_;
    bool scheduled_ = false;
    // The list model and the loop outlive this widget; what they hold of it checks this first.
    std::shared_ptr<MonitorStatusLine*> self_;
};

}  // namespace pm
