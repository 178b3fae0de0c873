#pragma once
// A file's failure message names the file and says why: "<message>: <path>: <reason>".
#include <string>
#include <string_view>

namespace pm {

// error is an errno value; 0 leaves the reason out.
std::string WithPath(std::string_view message, std::string_view path, int error = 0);

}  // namespace pm
