#include "cli/StderrUi.h"

namespace pm::cli {
namespace {

// Captions such as " Error" carry a leading blank that only a window needs.
std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// Messages may end in "\n " for a window's sake; one line each on a terminal.
std::string OneLine(std::string_view text) {
    std::string out;
    for (char c : text)
        out.push_back(c == '\n' || c == '\r' ? ' ' : c);
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

}  // namespace

void StderrUi::Notice(std::string_view text, std::string_view caption, Icon icon, Owner) {
    Show(text, caption, icon, Cause::UserCommand);
}

void StderrUi::EventNotice(std::string_view text, std::string_view caption, Icon icon, Owner) {
    Show(text, caption, icon, Cause::Event);
}

void StderrUi::Show(std::string_view text, std::string_view caption, Icon icon, Cause cause) {
    shown_.push_back({std::string(text), std::string(caption), icon, cause});
    const std::string_view label =
        Trimmed(caption).empty() ? std::string_view("Message") : Trimmed(caption);
    std::fprintf(out_, "%.*s: %s\n", static_cast<int>(label.size()), label.data(),
                 OneLine(text).c_str());
    std::fflush(out_);
}

bool StderrUi::AskOkCancel(std::string_view text, std::string_view caption, Icon icon) {
    Notice(text, caption, icon, Owner::MainWindow);
    return true;
}

bool StderrUi::OpenUrl(const std::string& url) {
    std::fprintf(out_, "open: %s\n", url.c_str());
    return true;
}

bool StderrUi::OpenFile(const std::string& path) {
    return OpenUrl(path);
}

size_t StderrUi::ErrorCount() const {
    size_t n = 0;
    for (const auto& m : shown_)
        if (m.icon == Icon::Error || m.icon == Icon::Warning)
            ++n;
    return n;
}

bool StderrUi::Saw(std::string_view text) const {
    for (const auto& m : shown_)
        if (m.text == text)
            return true;
    return false;
}

std::vector<StderrUi::Shown> StderrUi::Since(size_t index) const {
    if (index >= shown_.size())
        return {};
    return {shown_.begin() + static_cast<long>(index), shown_.end()};
}

}  // namespace pm::cli
