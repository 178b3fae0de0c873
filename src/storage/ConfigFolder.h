#pragma once
#include <string>

namespace pm {

// The cfg folder beside the running executable (found from /proc/self/exe), no trailing '/'.
std::string ConfigFolderPath();

}  // namespace pm
