// The password edit takes text only by typing: not from the X11 primary selection either.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include "controls/qt/CMyEdit.h"

namespace pm {
namespace {

TEST(PasswordEdit, MiddleClickPastesNothing) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        GTEST_SKIP() << "this platform has no primary selection (run under X11 to check it)";
    clipboard->setText("pasted", QClipboard::Selection);
    CMyEdit edit;
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QTest::mouseClick(&edit, Qt::MiddleButton);
    EXPECT_EQ(edit.text(), "");
    // Typing still works, and so does placing the cursor with the left button.
    QTest::keyClicks(&edit, "typed");
    QTest::mouseClick(&edit, Qt::LeftButton);
    EXPECT_EQ(edit.text(), "typed");
}

}  // namespace
}  // namespace pm
