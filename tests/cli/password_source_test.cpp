#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/PasswordSource.h"
#include "support/TempDir.h"

namespace pm::cli {
namespace {

TEST(PasswordSource, TheFirstLineOfAFileOrOfStandardInput) {
    test::TempDir dir;
    struct Case {
        const char* content;
        const char* password;
    };
    for (const Case& c :
         {Case{"s3cret\nsecond line\n", "s3cret"}, Case{"s3cret\r\n", "s3cret"},
          Case{"no line end", "no line end"}, Case{"  spaced  \n", "  spaced  "}, Case{"", ""}}) {
        std::ofstream(dir.File("pw"), std::ios::binary | std::ios::trunc) << c.content;
        std::istringstream none;
        PasswordSource source(none);
        std::string error;
        EXPECT_EQ(source.Read(dir.File("pw"), error), std::optional<std::string>(c.password))
            << c.content;
    }

    // Each "-" takes the next line of standard input; none left is an error.
    std::istringstream in("current\nnew\n");
    PasswordSource source(in);
    std::string error;
    EXPECT_EQ(source.Read("-", error), std::optional<std::string>("current"));
    EXPECT_EQ(source.Read("-", error), std::optional<std::string>("new"));
    EXPECT_EQ(source.Read("-", error), std::nullopt);
    EXPECT_EQ(error, "no password on standard input");
}

TEST(PasswordSource, AFileThatCannotBeReadSaysWhichAndWhy) {
    test::TempDir dir;
    std::istringstream none;
    PasswordSource source(none);
    std::string error;
    EXPECT_EQ(source.Read(dir.File("missing"), error), std::nullopt);
    EXPECT_EQ(error, dir.File("missing") + ": No such file or directory");
    EXPECT_EQ(source.Read(dir.path().string(), error), std::nullopt);
    EXPECT_EQ(error, dir.path().string() + ": Is a directory");
}

}  // namespace
}  // namespace pm::cli
