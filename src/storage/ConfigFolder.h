#pragma once
// Where the program keeps its files. A cfg/ folder beside the executable (the build tree, a
// portable copy) holds everything, as it always did. Without one (an installed copy) the
// desktop's folders hold them: the settings and the monitor list in
// $XDG_CONFIG_HOME/portmesa (default ~/.config/portmesa), the event log in
// $XDG_STATE_HOME/portmesa (default ~/.local/state/portmesa), and the shipped define.ecf is
// copied there from the install's data folder (share/portmesa) on first use.
#include <functional>
#include <string>
#include <string_view>

namespace pm {

class Ui;

// What the choice depends on, gathered once; tests make their own.
struct FolderEnvironment {
    std::string executable;  // the program's own path (/proc/self/exe)
    std::string home;        // $HOME, else the account's home folder; may be empty
    std::string configHome;  // $XDG_CONFIG_HOME as set (empty when unset)
    std::string stateHome;   // $XDG_STATE_HOME as set
    // The data folder relative to the executable's folder ("../share/portmesa").
    std::string dataFromExecutable;
    std::function<bool(const std::string&)> isDirectory;
};

struct ConfigFolders {
    std::string config;  // define.ecf and monitor.cfg
    std::string state;   // syslog.log
    std::string data;    // the shipped define.ecf; empty for a cfg/ folder
    bool besideExecutable = false;
};

ConfigFolders ChooseConfigFolders(const FolderEnvironment& env);

// This process's environment: /proc/self/exe, $HOME or the password database, the XDG
// variables, and the data folder the build installs to.
FolderEnvironment ThisProcessEnvironment();

// Makes the desktop folders (mode 0700, as the XDG rules ask) and copies the shipped
// define.ecf into the config folder when none is there yet. Each failure is shown with its
// path; the program goes on and its own reads then report what is missing. Nothing to do for
// a cfg/ folder.
void PrepareConfigFolders(Ui& ui, const ConfigFolders& folders);

// Messages; the path and the system's reason follow each.
inline constexpr std::string_view kFolderCreateFail = "The folder can't be created";
inline constexpr std::string_view kShippedSettingsUnreadable =
    "The shipped define.ecf can't be read";
inline constexpr std::string_view kSettingsCopyFail = "define.ecf can't be written";

}  // namespace pm
