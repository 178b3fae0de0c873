#pragma once
// Passwords that neither `ps` nor the shell's history sees: read from a file, or from
// standard input when the file is "-". The password is the first line, without its line end;
// each "-" of one command line takes the next line of standard input.
#include <istream>
#include <optional>
#include <string>

namespace pm::cli {

class PasswordSource {
  public:
    explicit PasswordSource(std::istream& standardInput) : stdin_(standardInput) {}
    // The password in file ("-" for standard input), or nullopt with the reason in error.
    std::optional<std::string> Read(const std::string& file, std::string& error);

  private:
    std::istream& stdin_;
};

}  // namespace pm::cli
