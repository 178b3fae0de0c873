#include "app/qt/CPortmesaApp.h"

#include "app/Program.h"
#include "app/RealNetwork.h"
#include "app/qt/CPortmesaDlg.h"
#include "app/qt/QtLoop.h"
#include "app/qt/QtUi.h"
#include "storage/ConfigFolder.h"

namespace pm {

CPortmesaApp::CPortmesaApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Parvex Management Utility");
    // The main window is a dialog run modally; closing it ends the program.
    setQuitOnLastWindowClosed(false);
}

int CPortmesaApp::Run() {
    QtUi ui;
    QtLoop loop;
    RealNetwork network(ui, loop);
    Program program(ui, loop, network.GetTransport(), network.Interfaces());
    const ConfigFolders folders = ChooseConfigFolders(ThisProcessEnvironment());
    program.configFolder = folders.config;
    program.logFolder = folders.state;
    PrepareConfigFolders(ui, folders);

    CPortmesaDlg* window = nullptr;
    MainWindowHooks hooks;
    hooks.startTransport = [&] {
        network.Start(program.settings, [&](int eventId) { window->OnSocketEvent(eventId); });
    };
    hooks.closeTransport = [&] { network.Stop(); };
    CPortmesaDlg dialog(program, hooks);
    window = &dialog;
    ui.SetMainWindow(&dialog);
    dialog.Start();
    dialog.exec();
    return 0;
}

}  // namespace pm
