#include "storage/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace pm {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string TemporaryPattern(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".XXXXXX";
}

mode_t CreationMode() {
    // umask can only be read by setting it; this runs on the one loop thread.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0644 & ~mask;
}

FileWriteResult Failure(int error) {
    return {FileWriteResult::Kind::Failed, error};
}

}  // namespace

FileWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                    ExistingFile existing, Durability durability) {
    std::string temp = TemporaryPattern(path);
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return Failure(errno);
    temp = name.data();

    // A file that is replaced keeps its permissions; a new one gets the creation mode.
    struct stat old {};
    const bool replacing = existing == ExistingFile::Replace && ::stat(path.c_str(), &old) == 0 &&
                           S_ISREG(old.st_mode);
    const mode_t mode = replacing ? (old.st_mode & 07777) : CreationMode();
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) &&
              (durability == Durability::ReadersOnly || ::fsync(fd) == 0);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok) {
        if (existing == ExistingFile::Replace) {
            ok = ::rename(temp.c_str(), path.c_str()) == 0;
        } else {
            // A hard link never replaces an existing name, so the refusal has no race.
            ok = ::link(temp.c_str(), path.c_str()) == 0;
            if (ok)
                ::unlink(temp.c_str());
        }
        if (!ok)
            error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        if (existing == ExistingFile::Keep && error == EEXIST)
            return {FileWriteResult::Kind::Exists, EEXIST};
        return Failure(error);
    }
    return {FileWriteResult::Kind::Written, 0};
}

}  // namespace pm
