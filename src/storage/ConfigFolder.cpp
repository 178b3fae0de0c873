#include "storage/ConfigFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "base/Ui.h"
#include "storage/AtomicFile.h"
#include "storage/FileMessage.h"
#include "storage/RegularFile.h"
#include "storage/SettingsFile.h"

#ifndef PORTMESA_DATA_FROM_BINDIR
#define PORTMESA_DATA_FROM_BINDIR "../share/portmesa"
#endif

namespace pm {
namespace {

constexpr std::string_view kProgramFolder = "portmesa";
// Far more than a settings file may hold; the reader refuses what is too long.
constexpr size_t kShippedCopyMax = 64 * 1024;

std::string Normal(const std::string& path) {
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

std::string FolderOf(const std::string& file) {
    const size_t slash = file.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

bool Absolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

// An XDG base folder: the variable when it holds an absolute path (the rules say to ignore a
// relative one), else home + the default; empty when neither is known.
std::string BaseFolder(const std::string& variable, const std::string& home,
                       std::string_view fallback) {
    if (Absolute(variable))
        return Normal(variable);
    if (Absolute(home))
        return Normal(home + "/" + std::string(fallback));
    return {};
}

void ShowFailure(Ui& ui, std::string_view message, const std::string& path, int error) {
    ui.Notice(WithPath(message, path, error), "Error", Icon::Error, Owner::NoWindow);
}

// mkdir -p with mode 0700 for every folder it makes.
bool MakeFolders(Ui& ui, const std::string& folder) {
    // Each leading part in turn: /a, /a/b, ... and the folder itself.
    for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string prefix = folder.substr(0, end);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            ShowFailure(ui, kFolderCreateFail, prefix, errno);
            return false;
        }
        if (end == std::string::npos)
            break;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        ShowFailure(ui, kFolderCreateFail, folder, errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        ShowFailure(ui, kFolderCreateFail, folder, ENOTDIR);
        return false;
    }
    return true;
}

void CopyShippedSettings(Ui& ui, const ConfigFolders& folders) {
    const std::string target = SettingsFilePath(folders.config);
    struct stat st {};
    // Anything already there is the user's, even a link or a damaged file: the load says
    // what is wrong with it.
    if (::lstat(target.c_str(), &st) == 0 || errno != ENOENT)
        return;
    const std::string shipped = SettingsFilePath(folders.data);
    const FileContents file = ReadRegularFile(shipped, kShippedCopyMax);
    if (file.status != FileStatus::Ok) {
        ShowFailure(ui, kShippedSettingsUnreadable, shipped,
                    file.status == FileStatus::NotRegular ? EINVAL : file.error);
        return;
    }
    // Written whole or not at all, and never over a file that appeared meanwhile.
    const std::string_view bytes(reinterpret_cast<const char*>(file.bytes.data()),
                                 file.bytes.size());
    const FileWriteResult written = WriteFileAtomically(target, bytes, ExistingFile::Keep);
    if (written.kind == FileWriteResult::Kind::Failed)
        ShowFailure(ui, kSettingsCopyFail, target, written.error);
}

}  // namespace

ConfigFolders ChooseConfigFolders(const FolderEnvironment& env) {
    const std::string executableFolder = FolderOf(env.executable);
    const std::string beside = Normal(executableFolder + "/cfg");
    const std::string config = BaseFolder(env.configHome, env.home, ".config");
    const std::string state = BaseFolder(env.stateHome, env.home, ".local/state");
    ConfigFolders folders;
    if ((env.isDirectory && env.isDirectory(beside)) || config.empty() || state.empty()) {
        // Without a home the cfg/ folder is the only place left; its reads name it.
        folders.config = folders.state = beside;
        folders.besideExecutable = true;
        return folders;
    }
    folders.config = config + "/" + std::string(kProgramFolder);
    folders.state = state + "/" + std::string(kProgramFolder);
    folders.data = Normal(executableFolder + "/" + env.dataFromExecutable);
    return folders;
}

FolderEnvironment ThisProcessEnvironment() {
    FolderEnvironment env;
    std::array<char, 4096> buffer{};
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n > 0)
        env.executable.assign(buffer.data(), static_cast<size_t>(n));
    auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::string(value) : std::string();
    };
    env.home = variable("HOME");
    if (env.home.empty()) {
        std::array<char, 4096> entry{};
        passwd pw{};
        passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &pw, entry.data(), entry.size(), &found) == 0 && found &&
            found->pw_dir)
            env.home = found->pw_dir;
    }
    env.configHome = variable("XDG_CONFIG_HOME");
    env.stateHome = variable("XDG_STATE_HOME");
    env.dataFromExecutable = PORTMESA_DATA_FROM_BINDIR;
    env.isDirectory = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    return env;
}

void PrepareConfigFolders(Ui& ui, const ConfigFolders& folders) {
    if (folders.besideExecutable)
        return;
    const bool configReady = MakeFolders(ui, folders.config);
    if (folders.state != folders.config)
        MakeFolders(ui, folders.state);
    if (configReady)
        CopyShippedSettings(ui, folders);
}

}  // namespace pm
