#pragma once
// The user-interface port: everything the core says to or asks of the person at the desk.
// The Qt layer implements it with message boxes and dialogs; tests use a recording fake;
// the command-line front-end prints to standard error.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pm {

enum class Icon { None, Error, Warning, Information };

// Who a message belongs to: the main window, the form that is open, or no window at all.
enum class Owner { MainWindow, Form, NoWindow };

// What raised a message: the user's own command, or an event nobody at the desk started (a
// datagram, a timer's tick). Any host on the segment can raise the second kind at will.
enum class Cause { UserCommand, Event };

// The caption of the "plain" boxes that carry the application's title.
inline constexpr std::string_view kAppTitle = "Parvex Management Utility";

struct FileFilter {
    std::string description;  // e.g. "config File (*.cfg)"
    std::string pattern;      // e.g. "*.cfg"
};

class Ui {
  public:
    virtual ~Ui() = default;
    virtual void Notice(std::string_view text, std::string_view caption, Icon icon,
                        Owner owner = Owner::MainWindow) = 0;
    // A message that an event raised: the window counts and paces these (base/NoticeBoard);
    // elsewhere it is a notice like any other.
    virtual void EventNotice(std::string_view text, std::string_view caption, Icon icon,
                             Owner owner = Owner::MainWindow) {
        Notice(text, caption, icon, owner);
    }
    // OK/Cancel question, asked synchronously before any state changes; true for OK.
    virtual bool AskOkCancel(std::string_view text, std::string_view caption, Icon icon) = 0;
    // Opens a URL or a file with the desktop's handler; false when that could not be started.
    virtual bool OpenUrl(const std::string& url) = 0;
    virtual bool OpenFile(const std::string& path) = 0;
    // File choosers; nullopt when the user cancels.
    virtual std::optional<std::string> ChooseOpenFile(std::string_view proposedName,
                                                      const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> ChooseSaveFile(std::string_view proposedName,
                                                      const std::vector<FileFilter>& filters) = 0;
};

}  // namespace pm
