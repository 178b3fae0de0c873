#include "app/qt/MonitorStatusLine.h"

#include "app/MonitorSummary.h"

namespace pm {

MonitorStatusLine::MonitorStatusLine(Program& program, NotificationSink* notifications,
                                     QWidget* parent)
    : QLabel(parent),
      program_(program),
      notifications_(notifications),
      self_(std::make_shared<MonitorStatusLine*>(this)) {
    setObjectName("monitorStatusLine");
    setTextFormat(Qt::PlainText);
    setText(QString::fromStdString(MonitorStatusText(SummariseMonitor(program_.lists))));
    watch_.Review(program_.lists);
    std::weak_ptr<MonitorStatusLine*> weak = self_;
    program_.lists.monitorList.AddObserver([weak](const ReportChange&) {
        if (auto self = weak.lock())
            (*self)->Schedule();
    });
}

void MonitorStatusLine::Schedule() {
    // A restore or a delete changes many rows in one go: look once it is over.
    if (scheduled_)
        return;
    scheduled_ = true;
    std::weak_ptr<MonitorStatusLine*> weak = self_;
    program_.loop.Post([weak] {
        if (auto self = weak.lock())
            (*self)->Review();
    });
}

void MonitorStatusLine::Review() {
    scheduled_ = false;
    const MonitorSummary summary = SummariseMonitor(program_.lists);
    setText(QString::fromStdString(MonitorStatusText(summary)));
    emit titleChanged(QString::fromStdString(MainWindowTitle(summary)));
    if (notifications_)
        NotifyAliveChanges(watch_, program_.lists, *notifications_);
    else
        watch_.Review(program_.lists);
}

}  // namespace pm
