#include "app/qt/CPortmesaApp.h"

#include "app/Program.h"
#include "app/qt/CPortmesaDlg.h"
#include "app/qt/QtLoop.h"
#include "app/qt/QtUi.h"
#include "storage/ConfigFolder.h"

namespace pm {
namespace {

// Until the socket table is wired in, the window runs without a network.
class NoTransport : public Transport {
  public:
    int SendBroadcast(uint8_t*, size_t) override { return 0; }
    int SendMulticast(uint8_t*, size_t) override { return 0; }
    int SendToDevice(uint32_t, uint8_t*, size_t) override { return 0; }
    int SendTftp(uint32_t, uint32_t, const uint8_t*, size_t, uint16_t) override { return 0; }
    int SendGroupReport(const uint8_t*, size_t) override { return 0; }
    int LastError() const override { return 0; }
    bool AttachTftpWindow(std::function<void(int)>) override { return true; }
    int ReceiveFromEvent(int, uint8_t*, size_t, uint32_t&, uint16_t&) override { return -1; }
};

class NoInterfaces : public InterfaceSource {
  public:
    AdapterSnapshot ReadAdapters() override { return {}; }
};

}  // namespace

CPortmesaApp::CPortmesaApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Parvex Management Utility");
    // The main window is a dialog run modally; closing it ends the program.
    setQuitOnLastWindowClosed(false);
}

int CPortmesaApp::Run() {
    QtUi ui;
    QtLoop loop;
    NoTransport net;
    NoInterfaces interfaces;
    Program program(ui, loop, net, interfaces);
    program.configFolder = ConfigFolderPath();

    CPortmesaDlg window(program);
    ui.SetMainWindow(&window);
    window.Start();
    window.exec();
    return 0;
}

}  // namespace pm
