// Shows one of the device forms, filled for a sample switch, until it is told to close, so
// that scripts/screenshot-forms can capture its window. Nothing here opens a socket: the
// program's transport only records, and any send makes the run fail.
//
//   form-shots <configuration|password|dhcp-refresh|group-interval|add-by-address> <id-file>
//
// Once the form is on screen its X window id is written to <id-file>; the program closes
// when that file is removed, or after 20 seconds.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/Program.h"
#include "app/qt/QtLoop.h"
#include "app/qt/QtUi.h"
#include "config/Validation.h"
#include "config/qt/Add_remoteIP.h"
#include "config/qt/Change_Password.h"
#include "config/qt/Configuration_Set.h"
#include "config/qt/DHCP_Refresh.h"
#include "config/qt/GroupTimer.h"
#include "controls/qt/IpAddressEdit.h"

namespace {

using namespace pm;

constexpr int kGiveUpMs = 20000;

class RecordingTransport : public Transport {
  public:
    int sends = 0;
    int SendBroadcast(uint8_t*, size_t) override { return Record(); }
    int SendMulticast(uint8_t*, size_t) override { return Record(); }
    int SendToDevice(uint32_t, uint8_t*, size_t) override { return Record(); }
    int SendTftp(uint32_t, uint32_t, const uint8_t*, size_t, uint16_t) override { return Record(); }
    int SendGroupReport(const uint8_t*, size_t) override { return Record(); }
    int LastError() const override { return 0; }
    bool AttachTftpWindow(std::function<void(int)>) override { return true; }
    int ReceiveFromEvent(int, uint8_t*, size_t, uint32_t&, uint16_t&) override { return -1; }

  private:
    int Record() {
        ++sends;
        return 0;
    }
};

class NoInterfaces : public InterfaceSource {
  public:
    AdapterSnapshot ReadAdapters() override { return {}; }
};

DeviceRecord SampleSwitch() {
    DeviceRecord d;
    SetText(d.mac_text, "00504d001234");
    SetText(d.product_name, "QR_SW2208_24");
    SetText(d.system_name, "Lab switch 7");
    SetText(d.location, "Building 2 floor 3 rack B");
    d.ip = *ParseAddress("192.168.1.20");
    SetText(d.ip_text, "192.168.1.20");
    d.mask = *ParseAddress("255.255.255.0");
    SetText(d.mask_text, "255.255.255.0");
    d.gateway = *ParseAddress("192.168.1.1");
    SetText(d.gateway_text, "192.168.1.1");
    d.capabilities[0] = 0x3FF | 0x200000;  // every field the forms send, and group interval
    d.capabilities[1] = 0x1;               // Static, DHCP and Bootp
    d.ip_mode = 0;
    d.group_interval = 300;
    d.major = 2;
    d.minor = 1;
    d.revision = 3;
    d.status_mark = kStatusAlive;
    return d;
}

template <typename W>
void Type(QWidget& form, const char* name, const char* text) {
    if (auto* w = form.findChild<W*>(QString::fromLatin1(name)))
        w->setText(QString::fromLatin1(text));
    else
        std::fprintf(stderr, "form-shots: no field %s\n", name);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: form-shots <configuration|password|dhcp-refresh|group-interval|"
                     "add-by-address> <id-file>\n");
        return 2;
    }
    const std::string which = argv[1];
    const QString idFile = QString::fromLocal8Bit(argv[2]);

    QtLoop loop;
    QtUi ui(loop);
    RecordingTransport net;
    NoInterfaces interfaces;
    Program p(ui, loop, net, interfaces);
    p.settings.multicast_interface_on_off = 1;
    p.settings.multicast_timer_flag = 1;
    p.settings.multicast_timer = 300;
    p.lists.discovery[0] = SampleSwitch();
    p.selection = {0, ListKind::Discovery, 0, 1};
    DeviceRecord newEntry;

    std::unique_ptr<QDialog> form;
    if (which == "configuration") {
        form = std::make_unique<Configuration_Set>(p);
        Type<QLineEdit>(*form, "password", "admin");
    } else if (which == "password") {
        form = std::make_unique<Change_Password>(p);
        Type<QLineEdit>(*form, "originalPassword", "admin");
        Type<QLineEdit>(*form, "newPassword", "n3wSecret");
        Type<QLineEdit>(*form, "confirmPassword", "n3wSecret");
    } else if (which == "dhcp-refresh") {
        form = std::make_unique<DHCP_Refresh>(p);
        Type<QLineEdit>(*form, "password", "admin");
    } else if (which == "group-interval") {
        form = std::make_unique<GroupTimer>(p);
    } else if (which == "add-by-address") {
        form = std::make_unique<Add_remoteIP>(p, newEntry);
        if (auto* ip = form->findChild<IpAddressEdit*>(QStringLiteral("ip")))
            ip->SetAddress(*ParseAddress("192.168.1.30"));
    } else {
        std::fprintf(stderr, "form-shots: unknown form %s\n", which.c_str());
        return 2;
    }
    form->move(16, 16);
    form->show();

    // Let the window be mapped and painted before it is announced.
    QTimer::singleShot(700, [&] {
        QFile out(idFile);
        if (out.open(QIODevice::WriteOnly))
            out.write(QByteArray::number(static_cast<qulonglong>(form->winId())) + "\n");
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!QFile::exists(idFile))
            app.quit();
    });
    QTimer::singleShot(1000, [&] { poll.start(100); });
    QTimer::singleShot(kGiveUpMs, &app, &QApplication::quit);
    app.exec();
    form.reset();

    if (net.sends != 0) {
        std::fprintf(stderr, "form-shots: the %s form sent %d packets\n", which.c_str(), net.sends);
        return 1;
    }
    return 0;
}
