// The firmware form over a recording Ui: Browse, the password field, the progress bar, the
// layout, and that it is no modal window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/ProgramContexts.h"
#include "base/WireConstants.h"
#include "controls/qt/CMyEdit.h"
#include "support/TestProgram.h"
#include "support/qt/LayoutCheck.h"
#include "upgrade/qt/Firmware_Upgrade.h"

namespace pm::test {
namespace {

class FirmwareForm : public ::testing::Test {
  protected:
    FirmwareForm() {
        DeviceRecord& r = p.lists.discovery[0];
        r.ip = 0x0A000005;
        r.mask = 0xFFFFFF00;
        SetText(r.mac_text, "0011223344aa");
        p.lists.discoveryList.InsertItem(0, "0011223344aa", -1, 0);
        p.selection = {0, ListKind::Discovery, 0, 1};
        SetText(p.upgrade.targetMac, "0011223344aa");
        p.upgrade.targetAddress = r.ip;
        p.upgrade.firmwarePath = "/srv/fw/old.hex";
    }
    template <typename T>
    T* Field(Firmware_Upgrade& form, const char* name) {
        T* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    TestProgram t;
    Program& p = t.program;
};

TEST_F(FirmwareForm, OpensWithTheTargetAndCancelledBrowseEmptiesThePath) {
    Firmware_Upgrade form(UpgradeContextOf(p));
    EXPECT_EQ(form.windowTitle(), "Firmware Upgrade");
    EXPECT_FALSE(form.isModal());
    EXPECT_EQ(Field<QLineEdit>(form, "deviceIp")->text(), "10.0.0.5");
    EXPECT_EQ(Field<QLineEdit>(form, "deviceMac")->text(), "0011223344aa");
    EXPECT_EQ(Field<QLineEdit>(form, "firmwarePath")->text(), "/srv/fw/old.hex");
    auto* password = Field<CMyEdit>(form, "password");
    EXPECT_TRUE(password->isEnabled());
    EXPECT_EQ(password->maxLength(), 20);
    EXPECT_EQ(t.net.attachCount, 1);

    Field<QPushButton>(form, "browse")->click();  // the fake Ui cancels the chooser
    EXPECT_EQ(Field<QLineEdit>(form, "firmwarePath")->text(), "");
    EXPECT_EQ(p.upgrade.firmwarePath, "");

    Field<QPushButton>(form, "start")->click();
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Password must be 1-20 characters length."});
}

TEST_F(FirmwareForm, PasswordIsDisabledForALoaderAndStartNeedsNone) {
    p.lists.discovery[0].loader = kLoaderMarker;
    Firmware_Upgrade form(UpgradeContextOf(p));
    EXPECT_FALSE(Field<CMyEdit>(form, "password")->isEnabled());
    Field<QLineEdit>(form, "firmwarePath")->setText("/nonexistent/fw.hex");
    Field<QPushButton>(form, "start")->click();
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Firmware file not found"});
}

TEST_F(FirmwareForm, ProgressBarFollowsTheBytesSent) {
    p.upgrade.firmwarePath = t.dir.File("fw.hex");
    std::ofstream(p.upgrade.firmwarePath, std::ios::binary) << std::string(2000, 'x');
    Firmware_Upgrade form(UpgradeContextOf(p));
    auto* bar = Field<QProgressBar>(form, "upgradeProgress");
    EXPECT_EQ(bar->value(), 0);
    ASSERT_EQ(form.Session().Transfer().StartTransfer(), 0);
    auto ack = [&form, this](uint8_t block) {
        const uint8_t reply[] = {0, 4, 0, block};
        form.Session().OnTftpDatagram(reply, sizeof reply, p.upgrade.targetAddress);
    };
    ack(0);
    ack(1);
    EXPECT_EQ(bar->value(), 51);  // 1024 of 2000 bytes
    ack(2);
    ack(3);
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(Field<QLineEdit>(form, "upgradeState")->text(), "Complete...2000/2000 bytes");
}

TEST_F(FirmwareForm, FitsItsTextsInALargeFontToo) {
    const QFont normal = QApplication::font();
    for (double scale : {1.0, 1.8}) {
        SCOPED_TRACE(scale);
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        Firmware_Upgrade form(UpgradeContextOf(p));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        for (const std::string& fault : LayoutFaults(form))
            ADD_FAILURE() << fault;
    }
    QApplication::setFont(normal);
}

TEST_F(FirmwareForm, CancelClosesTheFormAndFreesTheUpgrade) {
    QPointer<Firmware_Upgrade> form = new Firmware_Upgrade(UpgradeContextOf(p));
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    EXPECT_TRUE(p.upgrade.sessionOpen);
    form->findChild<QPushButton*>("cancel")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_FALSE(p.upgrade.sessionOpen);
}

}  // namespace
}  // namespace pm::test
