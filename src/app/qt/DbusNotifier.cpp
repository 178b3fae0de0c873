#include "app/qt/DbusNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "base/Ui.h"

namespace pm {
namespace {

constexpr uchar kUrgencyNormal = 1;
constexpr uchar kUrgencyCritical = 2;

}  // namespace

void DbusNotifier::Notify(const DesktopNotice& notice) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
    QVariantMap hints;
    hints["urgency"] = QVariant::fromValue(notice.urgent ? kUrgencyCritical : kUrgencyNormal);
    // Servers may read the body as markup; a switch's name is plain text.
    call << QString::fromUtf8(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size())) << uint(0)
         << QString("network-wired") << QString::fromStdString(notice.summary)
         << QString::fromStdString(notice.body).toHtmlEscaped() << QStringList() << hints
         << int(-1);
    bus.send(call);
}

}  // namespace pm
