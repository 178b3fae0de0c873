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

std::string Lower(std::string_view s) {
    std::string out;
    for (char c : s)
        out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    return out;
}

// Captions that only repeat the kind (or the program's name) are left out; one such as
// "Firmware upgrade failed" says what the text is about and stays in front of it.
bool CaptionAddsToKind(std::string_view caption) {
    const std::string c = Lower(Trimmed(caption));
    return !(c.empty() || c == "error" || c == "warning" || c == "information" ||
             c == "file error" || c == Lower(kAppTitle));
}

}  // namespace

std::string_view MessageKind(Icon icon) {
    switch (icon) {
        case Icon::Warning:
            return "warning";
        case Icon::Information:
            return "info";
        case Icon::Error:
        case Icon::None:  // the plain boxes all report a failure of the settings file
            break;
    }
    return "error";
}

std::string FormatMessage(std::string_view text, std::string_view caption, Icon icon) {
    std::string line = std::string(kProgramPrefix) + ": " + std::string(MessageKind(icon)) + ": ";
    if (CaptionAddsToKind(caption))
        line.append(Trimmed(caption)).append(": ");
    return line + OneLine(text);
}

void StderrUi::Notice(std::string_view text, std::string_view caption, Icon icon, Owner) {
    Show(text, caption, icon, Cause::UserCommand);
}

void StderrUi::EventNotice(std::string_view text, std::string_view caption, Icon icon, Owner) {
    Show(text, caption, icon, Cause::Event);
}

void StderrUi::Show(std::string_view text, std::string_view caption, Icon icon, Cause cause) {
    shown_.push_back({std::string(text), std::string(caption), icon, cause});
    if (icon == Icon::Information && !showInfo)
        return;
    if (beforeOutput)
        beforeOutput();
    std::fprintf(out_, "%s\n", FormatMessage(text, caption, icon).c_str());
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
