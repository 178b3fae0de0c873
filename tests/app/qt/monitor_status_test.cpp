// The window's monitor summary (status line and title) and its desktop notifications: the
// status line follows the monitor list, the sink hears each transition once, and the D-Bus
// adapter speaks the notification service's own method on a private session bus.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <fstream>

#include "app/qt/CPortmesaDlg.h"
#include "app/qt/DbusNotifier.h"
#include "app/qt/MonitorStatusLine.h"
#include "inventory/RowBuilders.h"
#include "storage/SettingsFile.h"
#include "support/MonitoredDevices.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

using test::AddMonitored;
using test::MakeDevice;

struct RecordingSink : NotificationSink {
    void Notify(const DesktopNotice& n) override { notices.push_back(n); }
    std::vector<DesktopNotice> notices;
};

class MonitorStatusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto file = BuildSettingsFile(p.settings);
        std::ofstream(SettingsFilePath(p.configFolder), std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()),
                   static_cast<std::streamsize>(file.size()));
        MainWindowHooks hooks;
        hooks.notifications = &sink;
        window = std::make_unique<CPortmesaDlg>(p, hooks);
        window->Start();
        t.loop.RunPosted();
    }
    QString Status() const { return window->StatusLine()->text(); }
    void MarkNotAlive(int i) {
        // As the refresh tick marks a switch.
        p.lists.monitor[static_cast<size_t>(i)].status_mark = kStatusNotAlive;
        p.lists.monitor[static_cast<size_t>(i)].row_flag = kRowNotAlive;
        DrawMonitorRow(p.lists, p.settings, i);
    }

    test::TestProgram t;
    Program& p = t.program;
    RecordingSink sink;
    std::unique_ptr<CPortmesaDlg> window;
};

TEST_F(MonitorStatusTest, StatusLineAndTitleFollowTheMonitorList) {
    EXPECT_EQ(Status(), "No switch monitored");
    EXPECT_EQ(window->windowTitle(), "Parvex Management Utility");

    QSignalSpy titles(window->StatusLine(), &MonitorStatusLine::titleChanged);
    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    AddMonitored(p, MakeDevice("10.1.0.12", 2));
    AddMonitored(p, MakeDevice("10.1.0.13", 3));
    EXPECT_EQ(titles.count(), 0);  // looked at once the burst is over
    t.loop.RunPosted();
    EXPECT_EQ(titles.count(), 1);
    EXPECT_EQ(Status(), "3 switches monitored, all alive");
    EXPECT_EQ(window->windowTitle(), "Parvex Management Utility - 3 monitored, 0 not alive");

    MarkNotAlive(1);
    t.loop.RunPosted();
    EXPECT_EQ(Status(), "3 switches monitored, 1 not alive");
    EXPECT_EQ(window->windowTitle(), "Parvex Management Utility - 3 monitored, 1 not alive");
    ASSERT_EQ(sink.notices.size(), 1u);
    EXPECT_EQ(sink.notices[0].body, "sw2 (001122334402) at 10.1.0.12 stopped answering");

    MarkNotAlive(1);  // the next tick marks it again: no second notice
    t.loop.RunPosted();
    EXPECT_EQ(sink.notices.size(), 1u);
}

TEST_F(MonitorStatusTest, AReviewPendingWhenTheWindowGoesIsDropped) {
    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    t.loop.RunPosted();
    MarkNotAlive(0);  // a review is pending ...
    window.reset();   // ... when the window goes
    t.loop.RunPosted();
    EXPECT_TRUE(sink.notices.empty());
}

// A notification service of our own on the private bus.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    struct Call {
        QString app, icon, summary, body;
        uint replaces = 99;
        QVariantMap hints;
        int timeout = 0;
    };
    std::vector<Call> calls;

  public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int timeout) {
        calls.push_back({app, icon, summary, body, replaces, hints, timeout});
        return static_cast<uint>(calls.size());
    }
};

// dbus-daemon --session on a private address, for this test only.
class PrivateBus {
  public:
    PrivateBus() {
        std::FILE* out = ::popen(
            "dbus-daemon --session --fork --print-address=1 --print-pid=1 "
            "2>/dev/null",
            "r");
        if (!out)
            return;
        char line[512] = {};
        if (std::fgets(line, sizeof line, out))
            address_ = QString::fromUtf8(line).trimmed();
        if (std::fgets(line, sizeof line, out))
            pid_ = std::atoi(line);
        ::pclose(out);
    }
    ~PrivateBus() {
        if (pid_ > 0)
            ::kill(pid_, SIGTERM);
    }
    bool Ok() const { return !address_.isEmpty() && pid_ > 0; }
    const QString& Address() const { return address_; }

  private:
    QString address_;
    int pid_ = 0;
};

TEST(DbusNotifier, SendsTheServiceItsNotifyCallAndIsSilentWithoutTheService) {
    PrivateBus bus;
    if (!bus.Ok())
        GTEST_SKIP() << "dbus-daemon is not installed";
    // The adapter uses the session bus: make it ours before its first use.
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().toUtf8());
    DbusNotifier notifier;
    notifier.Notify({"Switch not alive", "nobody listens", true});  // no service: no error

    QDBusConnection service = QDBusConnection::connectToBus(bus.Address(), "notifications");
    ASSERT_TRUE(service.isConnected());
    FakeNotifications fake;
    ASSERT_TRUE(service.registerObject("/org/freedesktop/Notifications", &fake,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));

    notifier.Notify({"Switch not alive", "<b>edge</b> & co at 10.1.0.12 stopped answering", true});
    notifier.Notify({"Switch alive again", "edge at 10.1.0.12 answers again", false});
    QTRY_COMPARE_WITH_TIMEOUT(fake.calls.size(), size_t{2}, 5000);
    EXPECT_EQ(fake.calls[0].app, "Parvex Management Utility");
    EXPECT_EQ(fake.calls[0].replaces, 0u);
    EXPECT_EQ(fake.calls[0].summary, "Switch not alive");
    EXPECT_EQ(fake.calls[0].body,
              "&lt;b&gt;edge&lt;/b&gt; &amp; co at 10.1.0.12 stopped answering");
    EXPECT_EQ(fake.calls[0].hints.value("urgency").toInt(), 2);
    EXPECT_EQ(fake.calls[0].timeout, -1);
    EXPECT_EQ(fake.calls[1].summary, "Switch alive again");
    EXPECT_EQ(fake.calls[1].hints.value("urgency").toInt(), 1);
    QDBusConnection::disconnectFromBus("notifications");
}

}  // namespace
}  // namespace pm

#include "monitor_status_test.moc"
