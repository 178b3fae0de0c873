// The window's boxes: one open at a time and never a loop of its own, in order, repeats
// counted into the open box, every text plain.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/qt/QtLoop.h"
#include "app/qt/QtUi.h"

namespace pm {
namespace {

int VisibleBoxes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w) && w->isVisible())
            ++n;
    return n;
}

void ClickOk(QMessageBox* box) {
    ASSERT_NE(box, nullptr);
    box->button(QMessageBox::Ok)->click();
    QApplication::processEvents();
}

TEST(QtUi, BoxesOpenOneAtATimeInOrderWithRepeatsCounted) {
    QtLoop loop;
    QtUi ui(loop);
    QWidget window;
    window.show();
    ui.SetMainWindow(&window);

    // Each call returns at once: no box runs a loop of its own.
    ui.Notice("first", "Error", Icon::Error, Owner::MainWindow);
    ui.Notice("second", "Information", Icon::Information, Owner::MainWindow);
    ui.Notice("first", "Error", Icon::Error, Owner::MainWindow);
    QApplication::processEvents();
    EXPECT_EQ(VisibleBoxes(), 1);
    QMessageBox* box = ui.OpenMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "first\n\n(2 times)");
    EXPECT_EQ(box->windowTitle(), "Error");

    ClickOk(box);
    box = ui.OpenMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "second");
    ClickOk(box);
    EXPECT_EQ(ui.OpenMessageBox(), nullptr);
    EXPECT_FALSE(ui.Board().Busy());
}

TEST(QtUi, AnyTextIsShownAsPlainText) {
    QtLoop loop;
    QtUi ui(loop);
    ui.EventNotice("Device return : <b>x</b><a href=\"http://h/\">link</a>", "Error", Icon::Error,
                   Owner::NoWindow);
    QMessageBox* box = ui.OpenMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), "Device return : <b>x</b><a href=\"http://h/\">link</a>");
    ClickOk(box);
}

TEST(QtUi, ABoxWhoseWindowGoesAwayLetsTheNextOneOpen) {
    QtLoop loop;
    QtUi ui(loop);
    QWidget main;
    main.show();
    ui.SetMainWindow(&main);
    auto* form = new QWidget(&main, Qt::Dialog);
    form->setWindowModality(Qt::ApplicationModal);
    form->show();
    ui.Notice("Invalid IP address.", " Error", Icon::Error, Owner::Form);
    ui.Notice("next", "Error", Icon::Error, Owner::MainWindow);
    ASSERT_NE(ui.OpenMessageBox(), nullptr);
    EXPECT_EQ(ui.OpenMessageBox()->parentWidget(), form);
    delete form;
    ASSERT_NE(ui.OpenMessageBox(), nullptr);
    EXPECT_EQ(ui.OpenMessageBox()->text(), "next");
    ClickOk(ui.OpenMessageBox());
}

TEST(QtUi, ARefusedStartShowsItsMessageUntilItIsClosed) {
    QtLoop loop;
    QtUi ui(loop);
    ui.Notice("Another program already uses base port 4000", "Error", Icon::Error, Owner::NoWindow);
    int clicks = 0;
    QTimer::singleShot(50, [&] {
        ++clicks;
        ui.OpenMessageBox()->button(QMessageBox::Ok)->click();
    });
    ui.ShowRemainingNotices();  // returns once the box is closed
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(ui.Board().Busy());
}

}  // namespace
}  // namespace pm
