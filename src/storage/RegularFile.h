#pragma once
// The program's files are opened as files: a FIFO, a device or a folder where the settings
// or a monitor list should be is refused at once, never waited on or misread, and a save
// through a symbolic link replaces the link's target, so a shared file stays shared.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pm {

enum class FileStatus { Ok, Missing, NotRegular, Failed };

struct FileContents {
    FileStatus status = FileStatus::Failed;
    std::vector<uint8_t> bytes;  // at most the limit asked for
    uint64_t size = 0;           // the length of the whole file
    int error = 0;               // errno of a failed open or read
};

// Opens path without blocking (a FIFO does not wait for a writer), refuses anything but a
// regular file, and reads up to limit bytes of it.
FileContents ReadRegularFile(const std::string& path, size_t limit);

// The file a chain of symbolic links ends at; path itself when it is no link. A link to a
// missing file leads to where that file would be.
std::string FollowLinks(const std::string& path);

// Replaces the file that path names (through its links) with bytes: written to a temporary
// file beside the target and renamed over it, so a failed save leaves the old content whole
// and keeps its permissions. Ok, NotRegular (nothing written), or Failed.
FileStatus ReplaceRegularFile(const std::string& path, std::span<const uint8_t> bytes);

// "<path> is not a regular file".
std::string NotRegularFileText(std::string_view path);

}  // namespace pm
