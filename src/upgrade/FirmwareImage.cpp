#include "upgrade/FirmwareImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "upgrade/UpgradePackets.h"

namespace pm {
namespace {

// Opens path for reading and tells its size; -1 unless it is a regular file.
int OpenImage(const std::string& path, uint64_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}

}  // namespace

ImageCheck CheckImageFile(const std::string& path) {
    uint64_t size = 0;
    const int fd = OpenImage(path, size);
    if (fd < 0)
        return ImageCheck::NotFound;
    ::close(fd);
    return size >= kMaxImageSize ? ImageCheck::TooLarge : ImageCheck::Ok;
}

ImageCheck ReadImageFile(const std::string& path, std::vector<uint8_t>& out) {
    out.clear();
    uint64_t size = 0;
    const int fd = OpenImage(path, size);
    if (fd < 0)
        return ImageCheck::NotFound;
    if (size >= kMaxImageSize) {
        ::close(fd);
        return ImageCheck::TooLarge;
    }
    out.resize(size);
    size_t done = 0;
    // Read to the end even if the file grew since fstat, but never past the limit.
    for (;;) {
        if (done == out.size()) {
            if (out.size() >= kMaxImageSize)
                break;
            out.resize(std::min<uint64_t>(out.size() + 65536, kMaxImageSize));
        }
        const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
        if (n < 0) {
            ::close(fd);
            out.clear();
            return ImageCheck::NotFound;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    out.resize(done);
    if (done >= kMaxImageSize) {
        out.clear();
        return ImageCheck::TooLarge;
    }
    return ImageCheck::Ok;
}

}  // namespace pm
