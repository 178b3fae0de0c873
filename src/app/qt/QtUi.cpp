#include "app/qt/QtUi.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include "app/qt/WindowPreferences.h"

namespace pm {
namespace {

QMessageBox::Icon ToQt(Icon icon) {
    switch (icon) {
        case Icon::Error:
            return QMessageBox::Critical;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QString Filter(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        const QString description = QString::fromStdString(f.description);
        const QString pattern = QString::fromStdString(f.pattern);
        parts << (description.contains(pattern) ? description : description + " (" + pattern + ")");
    }
    return parts.join(";;");
}

// Firmware images and monitor lists live in different folders: each kind of file remembers
// its own.
QString FilterKind(const std::vector<FileFilter>& filters) {
    return filters.empty() ? QString() : QString::fromStdString(filters.front().pattern);
}

// The proposed name in the folder last chosen for this kind (the working folder at first).
QString StartPath(const QString& kind, std::string_view proposedName) {
    const QString name = QString::fromStdString(std::string(proposedName));
    const QString folder = LastFolder(kind);
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

std::optional<std::string> Chosen(const QString& kind, const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    SetLastFolder(kind, QFileInfo(path).absolutePath());
    return path.toStdString();
}

}  // namespace

QWidget* QtUi::OwnerWidget(Owner owner) const {
    switch (owner) {
        case Owner::MainWindow:
            return main_.data();
        case Owner::Form:
            return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                     : main_.data();
        case Owner::NoWindow:
            return nullptr;
    }
    return nullptr;
}

void QtUi::Notice(std::string_view text, std::string_view caption, Icon icon, Owner owner) {
    QPointer<QWidget> parent = OwnerWidget(owner);
    const QString qtext = QString::fromStdString(std::string(text));
    const QString qcaption = QString::fromStdString(std::string(caption));
    auto show = [parent, qtext, qcaption, icon]() {
        QMessageBox box(ToQt(icon), qcaption, qtext, QMessageBox::Ok, parent.data());
        box.exec();
    };
    if (immediate_)
        show();
    else
        QTimer::singleShot(0, show);
}

bool QtUi::AskOkCancel(std::string_view text, std::string_view caption, Icon icon) {
    QMessageBox box(ToQt(icon), QString::fromStdString(std::string(caption)),
                    QString::fromStdString(std::string(text)),
                    QMessageBox::Ok | QMessageBox::Cancel, main_.data());
    return box.exec() == QMessageBox::Ok;
}

bool QtUi::OpenUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

bool QtUi::OpenFile(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

std::optional<std::string> QtUi::ChooseOpenFile(std::string_view proposedName,
                                                const std::vector<FileFilter>& filters) {
    const QString kind = FilterKind(filters);
    const QString path = QFileDialog::getOpenFileName(
        main_.data(), QString(), StartPath(kind, proposedName), Filter(filters));
    return Chosen(kind, path);
}

std::optional<std::string> QtUi::ChooseSaveFile(std::string_view proposedName,
                                                const std::vector<FileFilter>& filters) {
    const QString kind = FilterKind(filters);
    const QString path = QFileDialog::getSaveFileName(
        main_.data(), QString(), StartPath(kind, proposedName), Filter(filters));
    return Chosen(kind, path);
}

}  // namespace pm
