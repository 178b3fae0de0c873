// Whole-or-nothing file writes: replacing, refusing to replace, and failing without leaving a
// temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "storage/AtomicFile.h"
#include "support/TempDir.h"

namespace pm {
namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Names(const test::TempDir& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(AtomicFile, ReplaceWritesAndReplacesWithReadableModeAndNoLeftovers) {
    test::TempDir dir;
    const std::string path = dir.File("portmesa.prom");
    const mode_t mask = ::umask(022);
    for (const auto durability : {Durability::Synced, Durability::ReadersOnly}) {
        EXPECT_TRUE(WriteFileAtomically(path, "first\n", ExistingFile::Replace, durability).Ok());
        EXPECT_TRUE(WriteFileAtomically(path, "second\n", ExistingFile::Replace, durability).Ok());
        EXPECT_EQ(Read(path), "second\n");
    }
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"portmesa.prom"});
}

TEST(AtomicFile, KeepRefusesAnExistingFileAndLeavesItAlone) {
    test::TempDir dir;
    const std::string path = dir.File("list.cfg");
    EXPECT_EQ(WriteFileAtomically(path, "mine", ExistingFile::Keep).kind,
              FileWriteResult::Kind::Written);
    const FileWriteResult again = WriteFileAtomically(path, "other", ExistingFile::Keep);
    EXPECT_EQ(again.kind, FileWriteResult::Kind::Exists);
    EXPECT_EQ(Read(path), "mine");
    // A dangling symbolic link is a name that exists too.
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("link.cfg"));
    EXPECT_EQ(WriteFileAtomically(dir.File("link.cfg"), "x", ExistingFile::Keep).kind,
              FileWriteResult::Kind::Exists);
    EXPECT_FALSE(std::filesystem::exists(dir.File("nowhere")));
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"link.cfg", "list.cfg"}));
}

TEST(AtomicFile, FailuresReportTheErrorAndLeaveNothing) {
    test::TempDir dir;
    const FileWriteResult missing =
        WriteFileAtomically(dir.File("no/such/folder/m.prom"), "x", ExistingFile::Replace);
    EXPECT_EQ(missing.kind, FileWriteResult::Kind::Failed);
    EXPECT_EQ(missing.error, ENOENT);
    // Renaming over a folder fails after the temporary file was written: it goes again.
    std::filesystem::create_directory(dir.File("taken"));
    const FileWriteResult folder =
        WriteFileAtomically(dir.File("taken"), "x", ExistingFile::Replace);
    EXPECT_EQ(folder.kind, FileWriteResult::Kind::Failed);
    EXPECT_EQ(folder.error, EISDIR);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"taken"});
}

}  // namespace
}  // namespace pm
