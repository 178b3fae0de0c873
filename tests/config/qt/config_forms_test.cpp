// What only the forms do: keys, paste, enabling and hiding fields. Every rule behind them is
// tested on the core.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <cstdlib>

#include "config/Validation.h"
#include "config/qt/Add_remoteIP.h"
#include "config/qt/Change_Password.h"
#include "config/qt/Configuration_Set.h"
#include "config/qt/DHCP_Refresh.h"
#include "config/qt/GroupTimer.h"
#include "controls/qt/CMyEdit.h"
#include "controls/qt/IpAddressEdit.h"
#include "support/TestProgram.h"
#include "support/qt/LayoutCheck.h"

namespace pm::test {
namespace {

template <typename W>
W* Find(QWidget& form, const char* name) {
    W* w = form.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

class FormTest : public ::testing::Test {
  protected:
    FormTest() {
        DeviceRecord d;
        SetText(d.mac_text, "0012ab34cdef");
        SetText(d.product_name, "QR_VM410_16");
        SetText(d.system_name, "Room 1");
        SetText(d.location, "Rack");
        SetText(d.mask_text, "255.255.255.0");
        SetText(d.gateway_text, "192.168.1.1");
        d.ip = *ParseAddress("192.168.1.10");
        d.capabilities[0] = 0x3FF | 0x200000;
        d.capabilities[1] = 0x1;
        d.ip_mode = 0;
        d.group_interval = 300;
        d.revision = 3;
        p.lists.discovery[0] = d;
        p.lists.discoveryList.InsertItem(0, "0012ab34cdef", -1, 0);
        p.selection = {0, ListKind::Discovery, 0, 1};
    }
    // Shows the form and gives the focus to field, so keys reach it as a user's would.
    static void ShowWithFocus(QDialog& form, QWidget* field) {
        form.show();
        QApplication::setActiveWindow(&form);
        field->setFocus();
    }
    static void PressEnterAndEscape(QWidget* field) {
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Enter);
        QTest::keyClick(field, Qt::Key_Escape);
    }

    TestProgram t;
    Program& p = t.program;
};

TEST_F(FormTest, ConfigurationFormIgnoresEnterAndEscape) {
    Configuration_Set form(p);
    EXPECT_EQ(form.windowTitle(), "Configuration setting");
    auto* password = Find<CMyEdit>(form, "password");
    ShowWithFocus(form, password);
    QTest::keyClicks(password, "secret");
    PressEnterAndEscape(password);
    auto* set = Find<QPushButton>(form, "set");
    set->setFocus();
    PressEnterAndEscape(set);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(t.net.sent.empty());
    EXPECT_TRUE(t.ui.messages.empty());

    set->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(t.net.sent.size(), 2u);
}

TEST_F(FormTest, ConfigurationFormStaysOpenOnAFailedCheck) {
    Configuration_Set form(p);
    form.show();
    Find<QPushButton>(form, "set")->click();  // empty password
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, "Password must be 1-20 characters length.");
    EXPECT_EQ(t.ui.messages[0].owner, Owner::Form);
    EXPECT_EQ(Find<QLineEdit>(form, "systemName")->text(), "Room 1");
}

TEST_F(FormTest, EveryFormSendsToTheSwitchItWasOpenedForOrToNone) {
    Configuration_Set config(p);
    Change_Password change(p);
    DHCP_Refresh refresh(p);
    // A discovery refills the table meanwhile: another switch now stands where it stood.
    DeviceRecord other = p.lists.discovery[0];
    SetText(other.mac_text, "0012ab34ffff");
    other.ip = *ParseAddress("192.168.1.99");
    const DeviceRecord opened = p.lists.discovery[0];
    p.lists.discovery[0] = other;
    p.lists.discovery[1] = opened;
    p.lists.discoveryList.InsertItem(1, "0012ab34cdef", -1, 1);

    QTest::keyClicks(Find<CMyEdit>(config, "password"), "secret");
    Find<QPushButton>(config, "set")->click();
    for (const char* name : {"newPassword", "confirmPassword", "originalPassword"})
        QTest::keyClicks(Find<CMyEdit>(change, name), "abc");
    Find<QPushButton>(change, "set")->click();
    Find<QPushButton>(refresh, "apply")->click();
    ASSERT_EQ(t.net.sent.size(), 6u);
    for (const auto& sent : t.net.sent)
        EXPECT_EQ(FormatMac(sent.bytes.data() + 4), "0012ab34cdef");
    EXPECT_TRUE(t.ui.messages.empty());

    // The switch has left both lists: nothing is sent, the user is told, the form stays.
    t.net.sent.clear();
    p.lists.discovery[0] = opened;
    Configuration_Set gone(p);
    gone.show();
    p.lists.discoveryList.DeleteItems(kStateAny);
    p.lists.discovery.fill(DeviceRecord{});
    p.lists.discovery[0] = other;
    p.lists.discoveryList.InsertItem(0, "0012ab34ffff", -1, 0);
    QTest::keyClicks(Find<CMyEdit>(gone, "password"), "secret");
    Find<QPushButton>(gone, "set")->click();
    EXPECT_TRUE(t.net.sent.empty());
    EXPECT_TRUE(gone.isVisible());
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{DeviceGoneMessage("0012ab34cdef")});
}

TEST_F(FormTest, RadioButtonsEnableTheAddressFields) {
    Configuration_Set form(p);
    form.show();
    auto* staticMode = Find<QRadioButton>(form, "static");
    auto* dhcp = Find<QRadioButton>(form, "dhcp");
    auto* bootp = Find<QRadioButton>(form, "bootp");
    const QList<QWidget*> addresses = {Find<IpAddressEdit>(form, "ip"),
                                       Find<IpAddressEdit>(form, "mask"),
                                       Find<IpAddressEdit>(form, "gateway")};
    auto addressesEnabled = [&] {
        for (QWidget* w : addresses)
            if (!w->isEnabled())
                return false;
        return true;
    };
    EXPECT_TRUE(staticMode->isChecked());
    EXPECT_TRUE(addressesEnabled());
    EXPECT_EQ(Find<IpAddressEdit>(form, "mask")->text(), "255.255.255.0");

    QTest::mouseClick(dhcp, Qt::LeftButton);
    EXPECT_TRUE(dhcp->isChecked());
    EXPECT_FALSE(staticMode->isChecked());
    for (QWidget* w : addresses)
        EXPECT_FALSE(w->isEnabled());
    EXPECT_EQ(form.Input().mode, IpModeChoice::Dhcp);

    QTest::mouseClick(bootp, Qt::LeftButton);
    EXPECT_FALSE(dhcp->isChecked());
    for (QWidget* w : addresses)
        EXPECT_FALSE(w->isEnabled());

    QTest::mouseClick(staticMode, Qt::LeftButton);
    EXPECT_TRUE(addressesEnabled());
    EXPECT_EQ(form.Input().mode, IpModeChoice::Static);
}

TEST_F(FormTest, LoaderAndTwoWayDevicesOpenRestricted) {
    p.lists.discovery[0].capabilities[1] = 0;
    p.lists.discovery[0].ip_mode = 1;
    {
        Configuration_Set form(p);
        EXPECT_FALSE(Find<QRadioButton>(form, "bootp")->isEnabled());
        EXPECT_TRUE(Find<QRadioButton>(form, "dhcp")->isChecked());
        EXPECT_FALSE(Find<IpAddressEdit>(form, "ip")->isEnabled());
    }
    p.lists.discovery[0].loader = 100;
    Configuration_Set form(p);
    for (const char* name : {"static", "dhcp", "bootp"})
        EXPECT_FALSE(Find<QRadioButton>(form, name)->isEnabled());
    for (const char* name : {"systemName", "location", "password"})
        EXPECT_FALSE(Find<QLineEdit>(form, name)->isEnabled()) << name;
    EXPECT_FALSE(form.Input().passwordEnabled);
}

TEST_F(FormTest, GroupIntervalShownOnlyWithTheFeature) {
    {
        Configuration_Set form(p);
        form.show();
        auto* field = Find<QLineEdit>(form, "groupInterval");
        EXPECT_TRUE(field->isVisible());
        EXPECT_TRUE(Find<QLabel>(form, "groupIntervalLabel")->isVisible());
        EXPECT_TRUE(field->isEnabled());
        EXPECT_EQ(field->text(), "300");
        EXPECT_EQ(field->maxLength(), 4);
        EXPECT_TRUE(form.Input().groupIntervalEnabled);
    }
    p.settings.multicast_interface_on_off = 0;
    Configuration_Set form(p);
    form.show();
    EXPECT_FALSE(Find<QLineEdit>(form, "groupInterval")->isVisible());
    EXPECT_FALSE(Find<QLabel>(form, "groupIntervalLabel")->isVisible());
    EXPECT_FALSE(form.Input().groupIntervalEnabled);
}

TEST_F(FormTest, FieldLimits) {
    Configuration_Set form(p);
    EXPECT_EQ(Find<QLineEdit>(form, "systemName")->maxLength(), 20);
    EXPECT_EQ(Find<QLineEdit>(form, "location")->maxLength(), 30);
    EXPECT_EQ(Find<CMyEdit>(form, "password")->maxLength(), 20);
    EXPECT_TRUE(Find<QLineEdit>(form, "productName")->isReadOnly());
    EXPECT_EQ(Find<QLineEdit>(form, "productName")->text(), "QR-VM410/16");
}

// The longest texts the fields take are shown whole, not scrolled.
TEST_F(FormTest, LongestTextsFitTheirFields) {
    auto fits = [](QLineEdit* field, const QString& text) {
        field->setText(text);
        const QString shown =
            field->echoMode() == QLineEdit::Password
                ? QString(text.size(), QChar(field->style()->styleHint(
                                           QStyle::SH_LineEdit_PasswordCharacter, nullptr, field)))
                : text;
        return field->fontMetrics().horizontalAdvance(shown) < field->contentsRect().width();
    };
    const QString password(20, QLatin1Char('p'));
    Configuration_Set config(p);
    config.show();
    EXPECT_TRUE(fits(Find<QLineEdit>(config, "location"), "Building 12 floor 3 rack 4 row"));
    EXPECT_TRUE(fits(Find<QLineEdit>(config, "systemName"), "Distribution switch7"));
    EXPECT_TRUE(fits(Find<QLineEdit>(config, "productName"), "QR-SW2208/24"));
    EXPECT_TRUE(fits(Find<CMyEdit>(config, "password"), password));
    Change_Password change(p);
    change.show();
    for (const char* name : {"newPassword", "confirmPassword", "originalPassword"})
        EXPECT_TRUE(fits(Find<CMyEdit>(change, name), password)) << name;
    DHCP_Refresh refresh(p);
    refresh.show();
    EXPECT_TRUE(fits(Find<CMyEdit>(refresh, "password"), password));
}

TEST_F(FormTest, PasswordFieldsRefusePasteAndStopAtTwenty) {
    QGuiApplication::clipboard()->setText("pasted");
    Change_Password form(p);
    EXPECT_EQ(form.windowTitle(), "Password_change");
    form.show();
    for (const char* name : {"newPassword", "confirmPassword", "originalPassword"}) {
        SCOPED_TRACE(name);
        auto* field = Find<CMyEdit>(form, name);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(field->text(), "");
        QTest::keyClicks(field, QString(21, 'x'));
        EXPECT_EQ(field->text(), QString(20, 'x'));
        EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    }
    Configuration_Set config(p);
    auto* password = Find<CMyEdit>(config, "password");
    QTest::keyClick(password, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(password->text(), "");
}

// An octet over 255 is refused with the field's own message, before anything is checked or
// sent.
TEST_F(FormTest, SetRefusesAnAddressFieldOver255) {
    struct Case {
        const char* field;
        const char* text;
        const char* message;
        const char* caption;
    };
    for (const Case& c : {Case{"ip", "192.168.1.300", "Invalid IP address.", " Error"},
                          Case{"mask", "255.255.256.0", "Invalid subnet mask.", "Error"},
                          Case{"gateway", "300.168.1.1", "Invalid gateway IP address.", "Error"}}) {
        SCOPED_TRACE(c.field);
        t.ui.Clear();
        Configuration_Set form(p);
        ShowWithFocus(form, Find<CMyEdit>(form, "password"));
        QTest::keyClicks(Find<CMyEdit>(form, "password"), "secret");
        auto* field = Find<IpAddressEdit>(form, c.field);
        field->clear();
        QTest::keyClicks(field, c.text);
        EXPECT_EQ(field->text(), c.text);
        Find<QPushButton>(form, "set")->click();
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(t.net.sent.empty());
        ASSERT_EQ(t.ui.messages.size(), 1u);
        EXPECT_EQ(t.ui.messages[0], (Message{c.message, c.caption, Icon::Error, Owner::Form}));
        EXPECT_EQ(QApplication::focusWidget(), field);
    }
    Add_remoteIP form(p, p.lists.monitor[0]);
    auto* ip = Find<IpAddressEdit>(form, "ip");
    ShowWithFocus(form, ip);
    QTest::keyClicks(ip, "10.1.2.300");
    t.ui.Clear();
    QTest::keyClick(ip, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Invalid IP address."});
    EXPECT_EQ(p.lists.monitor[0], DeviceRecord{});
}

TEST_F(FormTest, PasswordFormAsksTheCurrentPasswordFirst) {
    Change_Password form(p);
    auto* original = Find<CMyEdit>(form, "originalPassword");
    ShowWithFocus(form, original);
    for (const char* name : {"newPassword", "confirmPassword", "set", "cancel"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), name);
    }
    // Top to bottom in the same order.
    EXPECT_LT(original->y(), Find<CMyEdit>(form, "newPassword")->y());
    EXPECT_LT(Find<CMyEdit>(form, "newPassword")->y(), Find<CMyEdit>(form, "confirmPassword")->y());
}

// Every form shows its captions whole in the system font and in a large one.
TEST_F(FormTest, FormsFitTheirTextsInALargeFontToo) {
    const QFont normal = QApplication::font();
    for (double scale : {1.0, 1.8}) {
        SCOPED_TRACE(scale);
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        Configuration_Set config(p);
        Change_Password password(p);
        DHCP_Refresh refresh(p);
        GroupTimer group(p);
        DeviceRecord entry;
        Add_remoteIP add(p, entry);
        for (QDialog* form :
             std::initializer_list<QDialog*>{&config, &password, &refresh, &group, &add}) {
            SCOPED_TRACE(form->windowTitle().toStdString());
            form->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
            for (const std::string& fault : LayoutFaults(*form))
                ADD_FAILURE() << fault;
        }
    }
    QApplication::setFont(normal);
}

TEST_F(FormTest, PasswordFormIgnoresEnterAndEscape) {
    Change_Password form(p);
    auto* original = Find<CMyEdit>(form, "originalPassword");
    ShowWithFocus(form, original);
    for (const char* name : {"newPassword", "confirmPassword", "originalPassword"})
        QTest::keyClicks(Find<CMyEdit>(form, name), "abc");
    PressEnterAndEscape(original);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(t.net.sent.empty());
    Find<QPushButton>(form, "set")->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(t.net.sent.size(), 2u);
}

TEST_F(FormTest, DhcpRefreshEnterAppliesEscapeCancels) {
    {
        DHCP_Refresh form(p);
        EXPECT_EQ(form.windowTitle(), "DHCP Refresh");
        auto* password = Find<CMyEdit>(form, "password");
        ShowWithFocus(form, password);
        QTest::keyClick(password, Qt::Key_Escape);
        EXPECT_EQ(form.result(), QDialog::Rejected);
        EXPECT_FALSE(form.isVisible());
        EXPECT_TRUE(t.net.sent.empty());
    }
    DHCP_Refresh form(p);
    auto* password = Find<CMyEdit>(form, "password");
    ShowWithFocus(form, password);
    QTest::keyClick(password, Qt::Key_Return);  // empty password: sent all the same
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(t.net.sent.size(), 2u);
}

TEST_F(FormTest, GroupIntervalFormEnterPressesOk) {
    p.settings.multicast_timer = 600;
    GroupTimer form(p);
    EXPECT_EQ(form.windowTitle(), "Group Interval");
    EXPECT_EQ(Find<QLabel>(form, "hint")->text(), "Disable : 0\nEnable  : 120-1225 ");
    auto* field = Find<QLineEdit>(form, "groupInterval");
    EXPECT_EQ(field->text(), "600");
    EXPECT_EQ(field->maxLength(), 4);
    ShowWithFocus(form, field);

    field->setText("119");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    ASSERT_FALSE(t.ui.messages.empty());
    EXPECT_EQ(t.ui.messages.back().text, "Value of Group Interval must between 120~1225\n ");

    field->setText("300");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(p.settings.multicast_timer, 300);
    EXPECT_EQ(t.loop.PeriodOf(p.GroupReportTimer()), 300000u);
}

TEST_F(FormTest, AddByAddressEnterAppliesEscapeCancels) {
    DeviceRecord entry;
    {
        Add_remoteIP form(p, entry);
        EXPECT_EQ(form.windowTitle(), "Remote IP");
        auto* ip = Find<IpAddressEdit>(form, "ip");
        ShowWithFocus(form, ip);
        QTest::keyClicks(ip, "192.168.1.20");
        QTest::keyClick(ip, Qt::Key_Escape);
        EXPECT_EQ(form.result(), QDialog::Rejected);
        EXPECT_EQ(entry, DeviceRecord{});
    }
    Add_remoteIP form(p, entry);
    auto* ip = Find<IpAddressEdit>(form, "ip");
    ShowWithFocus(form, ip);
    QTest::keyClick(ip, Qt::Key_Return);  // empty: 0.0.0.0 is refused
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Invalid IP address."});
    QTest::keyClicks(ip, "192.168.1.20");
    QTest::keyClick(ip, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_STREQ(entry.ip_text, "192.168.1.20");
    EXPECT_EQ(entry.status_mark, -1);
}

TEST(IpAddressEdit, TypingAndReading) {
    IpAddressEdit edit;
    edit.show();
    EXPECT_TRUE(edit.IsBlank());
    EXPECT_EQ(edit.Address(), 0u);
    QTest::keyClicks(&edit, "1921682551");  // a full octet moves on by itself
    EXPECT_EQ(edit.text(), "192.168.255.1");
    EXPECT_TRUE(edit.IsValid());
    edit.clear();
    QTest::keyClicks(&edit, "300.1");  // kept as typed, and marked
    EXPECT_EQ(edit.text(), "300.1");
    EXPECT_FALSE(edit.IsValid());
    EXPECT_FALSE(edit.toolTip().isEmpty());
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);  // "00.1": no leading zeros
    EXPECT_EQ(edit.text(), "300.1");
    QTest::keyClick(&edit, Qt::Key_Right);
    QTest::keyClick(&edit, Qt::Key_Delete);  // "30.1"
    EXPECT_TRUE(edit.IsValid());
    EXPECT_TRUE(edit.toolTip().isEmpty());
    edit.setText("10..7");
    EXPECT_EQ(edit.Address(), *ParseAddress("10.0.7.0"));
    edit.SetAddress(*ParseAddress("172.16.0.1"));
    EXPECT_EQ(edit.text(), "172.16.0.1");
    EXPECT_EQ(edit.Address(), *ParseAddress("172.16.0.1"));
    edit.SetAddress(std::nullopt);
    EXPECT_TRUE(edit.IsBlank());
}

}  // namespace
}  // namespace pm::test
