#include <cstdio>

#include "app/WindowCommandLine.h"
#include "app/qt/CPortmesaApp.h"

#ifndef PORTMESA_VERSION
#define PORTMESA_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    // Before the application object: --help and --version need no display.
    if (const auto early = pm::WindowCommandLine(argc, argv, PORTMESA_VERSION)) {
        std::fputs(early->text.c_str(), stdout);
        return early->exitCode;
    }
    pm::CPortmesaApp app(argc, argv);
    return app.Run();
}
