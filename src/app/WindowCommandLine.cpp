#include "app/WindowCommandLine.h"

namespace pm {
namespace {

constexpr std::string_view kHelp =
    "Usage: portmesa [OPTION]... [QT-OPTION]...\n"
    "Parvex Management Utility: finds the small managed Ethernet switches on every subnet\n"
    "this machine is on, polls a monitor list of them, changes their addressing, names and\n"
    "password, and upgrades their firmware.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "      --version  print the version and exit\n"
    "\n"
    "Qt's standard options (-platform NAME, -style NAME, -display DISPLAY, ...) are\n"
    "passed on to Qt. portmesa-cli(1) does the same work without a window.\n"
    "\n"
    "Files: when a cfg/ folder stands beside the program, it holds everything. Otherwise the\n"
    "settings (define.ecf) and the monitor list (monitor.cfg) live in\n"
    "$XDG_CONFIG_HOME/portmesa (default ~/.config/portmesa) and the event log (syslog.log)\n"
    "in $XDG_STATE_HOME/portmesa (default ~/.local/state/portmesa); the first start copies\n"
    "the shipped define.ecf there.\n";

}  // namespace

std::optional<EarlyExit> WindowCommandLine(int argc, const char* const* argv,
                                           std::string_view version) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h")
            return EarlyExit{std::string(kHelp), 0};
        if (arg == "--version")
            return EarlyExit{"portmesa " + std::string(version) + "\n", 0};
    }
    return std::nullopt;
}

}  // namespace pm
