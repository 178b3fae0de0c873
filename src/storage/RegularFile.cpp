#include "storage/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "storage/AtomicFile.h"

namespace pm {
namespace {

// More links than this in a chain is a loop.
constexpr int kMaxLinks = 40;

}  // namespace

FileContents ReadRegularFile(const std::string& path, size_t limit) {
    FileContents out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        out.error = errno;
        out.status = out.error == ENOENT ? FileStatus::Missing : FileStatus::Failed;
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        out.status = FileStatus::NotRegular;
        ::close(fd);
        return out;
    }
    out.size = static_cast<uint64_t>(st.st_size);
    out.bytes.resize(limit);
    size_t got = 0;
    bool failed = false;
    while (got < limit) {
        const ssize_t n = ::read(fd, out.bytes.data() + got, limit - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failed = true;
            out.error = errno;
        }
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    out.bytes.resize(got);
    out.status = failed ? FileStatus::Failed : FileStatus::Ok;
    return out;
}

std::string FollowLinks(const std::string& path) {
    std::string at = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return at;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size())
            return at;
        target.resize(static_cast<size_t>(n));
        if (target.empty())
            return at;
        if (target.front() != '/') {
            const size_t slash = at.find_last_of('/');
            if (slash != std::string::npos)
                target = at.substr(0, slash + 1) + target;
        }
        at = target;
    }
    return at;
}

FileStatus ReplaceRegularFile(const std::string& path, std::span<const uint8_t> bytes) {
    const std::string target = FollowLinks(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return FileStatus::NotRegular;
    // Written in the target's own folder, so the rename stays within one file system and
    // replaces the target, not the link.
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return WriteFileAtomically(target, text, ExistingFile::Replace).Ok() ? FileStatus::Ok
                                                                         : FileStatus::Failed;
}

std::string NotRegularFileText(std::string_view path) {
    return std::string(path) + " is not a regular file";
}

}  // namespace pm
