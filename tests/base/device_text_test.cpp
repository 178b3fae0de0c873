#include <gtest/gtest.h>

#include <string>

#include "base/DeviceText.h"

namespace pm {
namespace {

struct DecodeCase {
    const char* name;
    std::string raw;
    std::string decoded;
};

TEST(DeviceText, DecodesUtf8WhereValidElseLatin1) {
    const DecodeCase cases[] = {
        {"ascii", "core-a", "core-a"},
        {"utf8 kept", "Z\xC3\xBCrich", "Z\xC3\xBCrich"},
        {"lone 0xff is latin-1", "a\xFF", "a\xC3\xBF"},
        {"overlong slash is latin-1", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"surrogate is latin-1", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"truncated sequence is latin-1", "\xE2\x82", "\xC3\xA2\xC2\x82"},
        {"above U+10FFFF is latin-1", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeDeviceText(c.raw), c.decoded) << c.name;
        EXPECT_TRUE(IsValidUtf8(DecodeDeviceText(c.raw))) << c.name;
    }
}

TEST(DeviceText, ControlsAndBidiOverridesBecomeVisible) {
    // ESC ] 0 ; title BEL retitles a terminal; ESC [ 2 J clears it.
    EXPECT_EQ(ShowableText("\x1b]0;owned\x07"), "\xE2\x90\x9B]0;owned\xE2\x90\x87");
    EXPECT_EQ(ShowableText("a\r\nb"),
              "a\xE2\x90\x8D\xE2\x90\x8A"
              "b");
    EXPECT_EQ(ShowableText("x\x7F"), "x\xE2\x90\xA1");
    EXPECT_EQ(ShowableText("\xC2\x9B"
                           "2J"),
              "<U+009B>2J");  // C1 CSI
    EXPECT_EQ(ShowableText("abc\xE2\x80\xAE"
                           "fdp.exe"),
              "abc<U+202E>fdp.exe");
    EXPECT_EQ(ShowableText("\xE2\x81\xA6x\xE2\x81\xA9"), "<U+2066>x<U+2069>");
    EXPECT_EQ(ShowableText("caf\xC3\xA9 <b>"), "caf\xC3\xA9 <b>");  // markup stays text
    EXPECT_EQ(DisplayDeviceText("\x9B"
                                "2J"),
              "<U+009B>2J");  // Latin-1 C1 too
}

TEST(DeviceText, LogLinesCannotBeBroken) {
    EXPECT_EQ(LogSafeText("disk full\r\n2026/12/10 12:00:00 forged"),
              "disk full\\r\\n2026/12/10 12:00:00 forged");
    EXPECT_EQ(LogSafeText("a\\b\x1b\xFF"), "a\\\\b\\x1B\\xFF");
    EXPECT_EQ(LogSafeText("plain text"), "plain text");
}

}  // namespace
}  // namespace pm
