#pragma once
// Writing a file whole or not at all, for files that another program reads at any moment
// (a metrics collector) or that must never be left half written. The bytes go to a new hidden
// temporary file in the same folder (".<name>.XXXXXX", so a collector of "*.prom" files never
// picks it up), and the temporary file then takes the file's name in one step.
#include <string>
#include <string_view>

namespace pm {

enum class ExistingFile {
    Replace,  // an existing file is replaced in one step
    Keep,     // an existing file is left alone and the write refused
};

enum class Durability {
    Synced,       // flushed to the disk before the rename: the file survives a crash whole
    ReadersOnly,  // whole for every reader, but not flushed: for a file rewritten every few
                  // seconds whose writer must not stall on the disk
};

struct FileWriteResult {
    enum class Kind { Written, Exists, Failed } kind = Kind::Failed;
    int error = 0;  // errno of the step that failed
    bool Ok() const { return kind == Kind::Written; }
};

// A new file gets mode 0644 (less the umask); a replaced one keeps its mode. On failure no
// temporary file is left behind.
FileWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                    ExistingFile existing,
                                    Durability durability = Durability::Synced);

}  // namespace pm
