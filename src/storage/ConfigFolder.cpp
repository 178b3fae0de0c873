#include "storage/ConfigFolder.h"

#include <unistd.h>

#include <array>

namespace pm {

std::string ConfigFolderPath() {
    std::array<char, 4096> buffer{};
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    std::string exe = n > 0 ? std::string(buffer.data(), static_cast<size_t>(n)) : std::string();
    const size_t slash = exe.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : exe.substr(0, slash);
    return folder + "/cfg";
}

}  // namespace pm
