// The file choosers of the Qt Ui start in the folder last chosen for the same kind of file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "app/qt/QtLoop.h"
#include "app/qt/QtUi.h"

namespace pm {
namespace {

// Answers the next file dialog: records the folder it opened in, then picks file (or
// cancels when file is empty).
void AnswerNextDialog(QString& openedIn, const QString& file) {
    QTimer::singleShot(0, [&openedIn, file] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        openedIn = dialog->directory().absolutePath();
        if (file.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(file);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

TEST(QtUi, FileChoosersStartWhereTheLastOneOfTheirKindEnded) {
    QTemporaryDir preferences;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, preferences.path());
    QTemporaryDir lists;
    const QString chosen = lists.filePath("site.cfg");
    std::ofstream(chosen.toStdString()) << "x";
    const std::vector<FileFilter> cfg{{"config File (*.cfg)", "*.cfg"}};
    const std::vector<FileFilter> hex{{"hex File (*.hex)", "*.hex"}};

    QtLoop loop;
    QtUi ui(loop);
    QString openedIn;
    AnswerNextDialog(openedIn, chosen);
    EXPECT_EQ(ui.ChooseOpenFile("monitor.cfg", cfg), chosen.toStdString());

    AnswerNextDialog(openedIn, {});
    EXPECT_EQ(ui.ChooseSaveFile("Default.cfg", cfg), std::nullopt);
    EXPECT_EQ(openedIn, lists.path());

    AnswerNextDialog(openedIn, {});
    ui.ChooseOpenFile("*.hex", hex);  // firmware images keep a folder of their own
    EXPECT_NE(openedIn, lists.path());
}

}  // namespace
}  // namespace pm
