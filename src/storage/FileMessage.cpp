#include "storage/FileMessage.h"

#include <cstring>

namespace pm {

std::string WithPath(std::string_view message, std::string_view path, int error) {
    std::string text(message);
    text.append(": ").append(path);
    if (error != 0)
        text.append(": ").append(std::strerror(error));
    return text;
}

}  // namespace pm
