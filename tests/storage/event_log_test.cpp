#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "storage/EventLog.h"
#include "support/FileSizeLimit.h"
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
    EventLogState state;
    EXPECT_TRUE(AppendLogText(t.ui, folder, line, state));
    EXPECT_TRUE(AppendLogText(t.ui, folder, line, state));
    EXPECT_EQ(ReadAll(LogFilePath(folder)), line + line);

    ClearLog(folder);
    EXPECT_EQ(ReadAll(LogFilePath(folder)), "");
    EXPECT_TRUE(AppendLogText(t.ui, folder, line, state));
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

TEST(EventLog, AnUnwritableFolderIsToldOncePerRun) {
    test::TestProgram t;
    const std::string missing = t.dir.File("no/such/folder");
    EventLogState state;
    EXPECT_FALSE(AppendLogText(t.ui, missing, "x\r\n", state));
    EXPECT_FALSE(AppendLogText(t.ui, missing, "y\r\n", state));
    ASSERT_EQ(t.ui.messages.size(), 1u);
    // The message names the file and the reason.
    EXPECT_EQ(t.ui.messages[0], (test::Message{"syslog.log not exit: " + LogFilePath(missing) +
                                                   ": No such file or directory",
                                               "Error", Icon::Error, Owner::NoWindow}));
    ViewLog(t.ui, missing);
    EXPECT_EQ(t.ui.messages.size(), 2u);
    EXPECT_TRUE(t.ui.opened.empty());
}

using test::FileSizeLimit;

TEST(EventLog, AFailedWriteIsToldOncePerRunAndLeavesNoBrokenLine) {
    test::TestProgram t;
    const std::string folder = t.program.configFolder;
    const std::string line = "03/07/2026 14:05:09 192.168.1.20 Not alive \r\n";
    EventLogState state;
    ASSERT_TRUE(AppendLogText(t.ui, folder, line, state));
    {
        FileSizeLimit full(line.size() + 10);
        EXPECT_FALSE(AppendLogText(t.ui, folder, line, state));
        EXPECT_FALSE(AppendLogText(t.ui, folder, line, state));
    }
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0], (test::Message{"syslog.log write fail: File too large", "Error",
                                               Icon::Error, Owner::NoWindow}));
    EXPECT_EQ(ReadAll(LogFilePath(folder)), line);
    EXPECT_TRUE(AppendLogText(t.ui, folder, line, state));
    EXPECT_EQ(t.ui.messages.size(), 1u);
}

TEST(EventLog, RotatesAtOneMebibyteBetweenLines) {
    test::TestProgram t;
    const std::string folder = t.program.configFolder;
    const std::string path = LogFilePath(folder);
    const std::string old = path + ".1";
    EventLogState state;
    // Nearly full: 25 bytes left.
    const std::string filler = std::string(kLogRotateBytes - 26, 'a') + "\n";
    std::ofstream(path, std::ios::binary) << filler;

    // A firmware line comes in two writes; the log turns over only between whole lines.
    const std::string stamp = "03/07/2026 14:05:09 ", rest = "10.0.0.1 Flash error \r\n";
    ASSERT_TRUE(AppendLogText(t.ui, folder, stamp, state));
    ASSERT_TRUE(AppendLogText(t.ui, folder, rest, state));
    EXPECT_FALSE(std::filesystem::exists(old));
    EXPECT_EQ(ReadAll(path), filler + stamp + rest);

    const std::string line = "03/07/2026 14:05:10 10.0.0.2 Not alive \r\n";
    ASSERT_TRUE(AppendLogText(t.ui, folder, line, state));
    EXPECT_EQ(ReadAll(old), filler + stamp + rest);  // one old generation
    EXPECT_EQ(ReadAll(path), line);

    // The next turn replaces that generation; "Clear log" removes both.
    std::ofstream(path, std::ios::binary | std::ios::app) << filler;
    ASSERT_TRUE(AppendLogText(t.ui, folder, line, state));
    EXPECT_EQ(ReadAll(old), line + filler);
    EXPECT_EQ(ReadAll(path), line);
    ClearLog(folder);
    EXPECT_FALSE(std::filesystem::exists(old));
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_TRUE(t.ui.messages.empty());
}

}  // namespace
}  // namespace pm
