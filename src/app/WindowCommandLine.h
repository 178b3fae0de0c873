#pragma once
// The window program's own options, answered before any window or display is touched:
// --help and --version print and end the program; everything else is left to Qt (-platform,
// -style and the rest of its standard options).
#include <optional>
#include <string>
#include <string_view>

namespace pm {

struct EarlyExit {
    std::string text;  // for standard output
    int exitCode = 0;
};

// nullopt when the window should start.
std::optional<EarlyExit> WindowCommandLine(int argc, const char* const* argv,
                                           std::string_view version);

}  // namespace pm
