#include "app/qt/QtUi.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
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

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtUi::QtUi(EventLoop& loop) : board_(loop, *this) {}

QtUi::~QtUi() {
    if (box_) {
        QMessageBox* box = box_;
        box_ = nullptr;
        box->disconnect();
        delete box;
    }
}

void QtUi::SetMainWindow(QWidget* window) {
    main_ = window;
    mainSet_ = window != nullptr;
}

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
    board_.Raise(text, caption, icon, owner, Cause::UserCommand);
}

void QtUi::EventNotice(std::string_view text, std::string_view caption, Icon icon, Owner owner) {
    board_.Raise(text, caption, icon, owner, Cause::Event);
}

void QtUi::OpenBox(const QueuedNotice& notice) {
    // The window is gone (the program is ending): nothing is shown any more.
    if (mainSet_ && !main_ && notice.owner != Owner::NoWindow)
        return;
    auto* box =
        new QMessageBox(ToQt(notice.icon), ToQString(notice.caption), ToQString(BoxText(notice)),
                        QMessageBox::Ok, OwnerWidget(notice.owner));
    // Texts from the network are data: no markup, no links.
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box_ = box;
    // Closed by the user, or destroyed with the window it belongs to.
    auto closed = [this, box] {
        if (box_ != box)
            return;
        box_ = nullptr;
        board_.Closed();
    };
    QObject::connect(box, &QMessageBox::finished, box, closed);
    QObject::connect(box, &QObject::destroyed, closed);
    box->open();
}

void QtUi::UpdateBox(const QueuedNotice& notice) {
    if (box_)
        box_->setText(ToQString(BoxText(notice)));
}

void QtUi::ShowRemainingNotices() {
    // A notice whose box could not open (no window any more) ends the wait too.
    QEventLoop wait;
    while (board_.Busy() && (box_ || !board_.OpenNotice().has_value()))
        wait.processEvents(QEventLoop::WaitForMoreEvents);
}

bool QtUi::AskOkCancel(std::string_view text, std::string_view caption, Icon icon) {
    QMessageBox box(ToQt(icon), ToQString(caption), ToQString(text),
                    QMessageBox::Ok | QMessageBox::Cancel, main_.data());
    box.setTextFormat(Qt::PlainText);
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
