#pragma once
// Naming a switch on the command line: by MAC (any case, with or without separators) or by
// IPv4 address.
#include <optional>
#include <string>
#include <string_view>

#include "app/Program.h"

namespace pm::cli {

// The MAC in the record's text form (12 lower-case hexadecimal digits), or nullopt.
std::optional<std::string> NormaliseMac(std::string_view text);

// The discovery-table index of the switch named by mac or ip (one of them non-empty), or -1.
int FindDiscovered(const Program& p, std::string_view mac, std::string_view ip);

}  // namespace pm::cli
