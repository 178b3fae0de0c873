#include "cli/PasswordSource.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace pm::cli {
namespace {

// Far longer than any password a switch takes; the form says what is too long.
constexpr size_t kLineMax = 4096;

std::optional<std::string> FirstLine(std::istream& in) {
    std::string line;
    char c = 0;
    bool any = false;
    while (line.size() < kLineMax && in.get(c)) {
        any = true;
        if (c == '\n')
            break;
        line.push_back(c);
    }
    if (!any)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

}  // namespace

std::optional<std::string> PasswordSource::Read(const std::string& file, std::string& error) {
    if (file == "-") {
        auto line = FirstLine(stdin_);
        if (!line)
            error = "no password on standard input";
        return line;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        error = file + ": " + std::strerror(EISDIR);
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = file + ": " + std::strerror(errno);
        return std::nullopt;
    }
    auto line = FirstLine(in);
    // An empty file holds the empty password, which the form then refuses with its message.
    return line ? line : std::optional<std::string>(std::string());
}

}  // namespace pm::cli
