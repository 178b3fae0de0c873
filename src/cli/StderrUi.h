#pragma once
// The Ui port of the headless front-end: every message goes to standard error as
// "portmesa-cli: <kind>: text" (kind error, warning or info, from the icon); no window is
// ever opened.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/Ui.h"

namespace pm::cli {

inline constexpr std::string_view kProgramPrefix = "portmesa-cli";

// "error", "warning" or "info".
std::string_view MessageKind(Icon icon);
// One line: the prefix, the kind, the caption when it says more than the kind, the text.
std::string FormatMessage(std::string_view text, std::string_view caption, Icon icon);

class StderrUi : public Ui {
  public:
    explicit StderrUi(std::FILE* out = stderr) : out_(out) {}
    void Notice(std::string_view text, std::string_view caption, Icon icon, Owner owner) override;
    void EventNotice(std::string_view text, std::string_view caption, Icon icon,
                     Owner owner) override;
    // Questions are answered OK: a command line asks nothing it was not told to do.
    bool AskOkCancel(std::string_view text, std::string_view caption, Icon icon) override;
    bool OpenUrl(const std::string& url) override;
    bool OpenFile(const std::string& path) override;
    std::optional<std::string> ChooseOpenFile(std::string_view,
                                              const std::vector<FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view,
                                              const std::vector<FileFilter>&) override {
        return std::nullopt;
    }

    struct Shown {
        std::string text;
        std::string caption;
        Icon icon;
        Cause cause = Cause::UserCommand;
    };
    const std::vector<Shown>& Messages() const { return shown_; }
    size_t ErrorCount() const;
    bool Saw(std::string_view text) const;
    // Messages from this index on.
    std::vector<Shown> Since(size_t index) const;

    // Called before each message is printed (a progress line on a terminal ends first).
    std::function<void()> beforeOutput;
    // Information messages are recorded but not printed when false (--quiet).
    bool showInfo = true;

  private:
    void Show(std::string_view text, std::string_view caption, Icon icon, Cause cause);
    std::FILE* out_;
    std::vector<Shown> shown_;
};

}  // namespace pm::cli
