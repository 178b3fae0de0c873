#include "app/qt/CPortmesaApp.h"

#include "app/Program.h"
#include "app/RealNetwork.h"
#include "app/qt/CPortmesaDlg.h"
#include "app/qt/DbusNotifier.h"
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
    QtLoop loop;
    QtUi ui(loop);
    RealNetwork network(ui, loop);
    Program program(ui, loop, network.GetTransport(), network.Interfaces());
    const ConfigFolders folders = ChooseConfigFolders(ThisProcessEnvironment());
    program.configFolder = folders.config;
    program.logFolder = folders.state;
    PrepareConfigFolders(ui, folders);

    CPortmesaDlg* window = nullptr;
    bool refused = false;
    MainWindowHooks hooks;
    hooks.startTransport = [&] {
        refused =
            !network.Start(program.settings, [&](int eventId) { window->OnSocketEvent(eventId); });
    };
    hooks.closeTransport = [&] { network.Stop(); };
    DbusNotifier notifier;
    hooks.notifications = &notifier;
    CPortmesaDlg dialog(program, hooks);
    window = &dialog;
    ui.SetMainWindow(&dialog);
    dialog.Start();
    if (refused) {
        // Another copy holds the ports: say so, and end without opening the window.
        ui.ShowRemainingNotices();
        return 1;
    }
    dialog.exec();
    return 0;
}

}  // namespace pm
