#include "app/qt/WindowPreferences.h"

#include <QHeaderView>
#include <QSettings>
#include <QWidget>

#include "controls/qt/CReportView.h"

namespace pm {
namespace {

// ~/.config/portmesa/window.conf, beside the utility's own files of an installed copy.
QSettings Store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("portmesa"),
                     QStringLiteral("window"));
}

QString FolderKey(const QString& pattern) {
    QString kind = pattern;
    kind.remove(QLatin1Char('*')).remove(QLatin1Char('.'));
    return QStringLiteral("folders/") + (kind.isEmpty() ? QStringLiteral("any") : kind);
}

QList<QVariant> Widths(const CReportView& view) {
    QList<QVariant> widths;
    for (int c = 0; c < view.horizontalHeader()->count(); ++c)
        widths << view.horizontalHeader()->sectionSize(c);
    return widths;
}

void ApplyWidths(CReportView& view, const QList<QVariant>& widths) {
    QHeaderView* header = view.horizontalHeader();
    for (int c = 0; c < header->count() && c < widths.size(); ++c) {
        bool ok = false;
        const int width = widths[c].toInt(&ok);
        if (ok && width > 0)
            header->resizeSection(c, width);
    }
}

}  // namespace

void RestoreWindowPreferences(QWidget& window, CReportView& discovery, CReportView& monitor) {
    const QSettings store = Store();
    const QByteArray geometry = store.value(QStringLiteral("mainWindow/geometry")).toByteArray();
    if (!geometry.isEmpty())
        window.restoreGeometry(geometry);
    ApplyWidths(discovery, store.value(QStringLiteral("mainWindow/discoveryColumns")).toList());
    ApplyWidths(monitor, store.value(QStringLiteral("mainWindow/monitorColumns")).toList());
}

void SaveWindowPreferences(const QWidget& window, const CReportView& discovery,
                           const CReportView& monitor) {
    QSettings store = Store();
    store.setValue(QStringLiteral("mainWindow/geometry"), window.saveGeometry());
    store.setValue(QStringLiteral("mainWindow/discoveryColumns"), Widths(discovery));
    store.setValue(QStringLiteral("mainWindow/monitorColumns"), Widths(monitor));
}

QString LastFolder(const QString& pattern) {
    return Store().value(FolderKey(pattern)).toString();
}

void SetLastFolder(const QString& pattern, const QString& folder) {
    Store().setValue(FolderKey(pattern), folder);
}

}  // namespace pm
