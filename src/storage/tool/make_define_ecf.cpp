// Writes the shipped settings file at the path given, unless a file is there already: a
// rebuild never overwrites the user's settings.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "storage/DefaultSettings.h"
#include "storage/SettingsFile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH/define.ecf\n", argv[0]);
        return 2;
    }
    const std::filesystem::path path = argv[1];
    if (std::filesystem::exists(path))
        return 0;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    const auto bytes = pm::BuildSettingsFile(pm::DefaultSettings());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
