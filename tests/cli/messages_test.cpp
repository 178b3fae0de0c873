// One line per message on standard error: the program, the kind, the system's own text.
#include <gtest/gtest.h>

#include <cstdio>

#include "cli/StderrUi.h"

namespace pm::cli {
namespace {

TEST(Messages, OnePrefixPerKindAndTheTextUnchanged) {
    struct Case {
        const char* text;
        const char* caption;
        Icon icon;
        const char* line;
    };
    const Case cases[] = {
        {"Password incorrect.", "Error", Icon::Error, "portmesa-cli: error: Password incorrect."},
        {"Invalid IP address.", " Error", Icon::Error, "portmesa-cli: error: Invalid IP address."},
        {"define.ecf checksum error", "file error", Icon::Error,
         "portmesa-cli: error: define.ecf checksum error"},
        {"ECF File created fail", "Parvex Management Utility", Icon::None,
         "portmesa-cli: error: ECF File created fail"},
        {"Duplicate device in monitor list", "Warning", Icon::Warning,
         "portmesa-cli: warning: Duplicate device in monitor list"},
        {"Upgrade fail", "information", Icon::Warning, "portmesa-cli: warning: Upgrade fail"},
        {"Set Successful", "Information", Icon::Information, "portmesa-cli: info: Set Successful"},
        // A caption that says what the text is about stays in front of it.
        {"disk full", "Firmware upgrade failed", Icon::Error,
         "portmesa-cli: error: Firmware upgrade failed: disk full"},
        {"It will cause the application fail\n ", "Error", Icon::Error,
         "portmesa-cli: error: It will cause the application fail"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMessage(c.text, c.caption, c.icon), c.line);
}

TEST(Messages, QuietKeepsErrorsAndWarningsOnly) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    StderrUi ui(out);
    ui.showInfo = false;
    int breaks = 0;
    ui.beforeOutput = [&] { ++breaks; };
    ui.Notice("Upgrade successful", "information", Icon::Information, Owner::MainWindow);
    ui.Notice("Upgrade fail", "information", Icon::Warning, Owner::MainWindow);
    ui.Notice("Password incorrect.", "Error", Icon::Error, Owner::MainWindow);
    std::rewind(out);
    char buffer[256] = {};
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(buffer, n),
              "portmesa-cli: warning: Upgrade fail\nportmesa-cli: error: Password incorrect.\n");
    EXPECT_EQ(breaks, 2);
    EXPECT_EQ(ui.Messages().size(), 3u) << "every message is still recorded";
}

}  // namespace
}  // namespace pm::cli
