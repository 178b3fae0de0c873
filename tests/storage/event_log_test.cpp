#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "storage/EventLog.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FormatLogTime, MonthDayYearInLocalTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    char stamp[20];
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 7;
    when.tm_hour = 14;
    when.tm_min = 5;
    when.tm_sec = 9;
    FormatLogTime(stamp, timegm(&when));
    EXPECT_STREQ(stamp, "03/07/2026 14:05:09");
    FormatLogTime(stamp);
    EXPECT_EQ(std::string(stamp).size(), 19u);
}

TEST(EventLog, AppendClearAndView) {
    test::TestProgram t;
    const std::string folder = t.program.configFolder;
    const std::string line = "03/07/2026 14:05:09 192.168.1.20 Not alive \r\n";
    EXPECT_TRUE(AppendLogText(t.ui, folder, line));
    EXPECT_TRUE(AppendLogText(t.ui, folder, line));
    EXPECT_EQ(ReadAll(LogFilePath(folder)), line + line);

    ClearLog(folder);
    EXPECT_EQ(ReadAll(LogFilePath(folder)), "");
    EXPECT_TRUE(AppendLogText(t.ui, folder, line));
    EXPECT_EQ(ReadAll(LogFilePath(folder)), line);

    // Clearing a missing log leaves an empty one behind.
    std::filesystem::remove(LogFilePath(folder));
    ClearLog(folder);
    EXPECT_TRUE(std::filesystem::exists(LogFilePath(folder)));
    EXPECT_EQ(std::filesystem::file_size(LogFilePath(folder)), 0u);

    ViewLog(t.ui, folder);
    EXPECT_EQ(t.ui.opened, std::vector<std::string>{LogFilePath(folder)});
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST(EventLog, UnwritableFolderSaysSo) {
    test::TestProgram t;
    const std::string missing = t.dir.File("no/such/folder");
    EXPECT_FALSE(AppendLogText(t.ui, missing, "x"));
    ViewLog(t.ui, missing);
    ASSERT_EQ(t.ui.messages.size(), 2u);
    // The message names the file and the reason.
    EXPECT_EQ(t.ui.messages[0], (test::Message{"syslog.log not exit: " + LogFilePath(missing) +
                                                   ": No such file or directory",
                                               "Error", Icon::Error, Owner::NoWindow}));
    EXPECT_TRUE(t.ui.opened.empty());
}

}  // namespace
}  // namespace pm
