#pragma once
// The window's own preferences, kept through QSettings apart from the utility's settings
// file: the main window's geometry, the column widths of both lists and the folder the file
// dialogs last opened, per kind of file. Tests point QSettings at a folder of their own.
#include <QString>

class QWidget;

namespace pm {

class CReportView;

// Puts back what SaveWindowPreferences kept; widths only for columns the lists have now.
void RestoreWindowPreferences(QWidget& window, CReportView& discovery, CReportView& monitor);
void SaveWindowPreferences(const QWidget& window, const CReportView& discovery,
                           const CReportView& monitor);

// The folder last chosen for files matching pattern ("*.cfg"); empty when none yet.
QString LastFolder(const QString& pattern);
void SetLastFolder(const QString& pattern, const QString& folder);

}  // namespace pm
