#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "storage/DefaultSettings.h"
#include "storage/GuardedFifo.h"
#include "storage/RegularFile.h"
#include "storage/SettingsFile.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

using test::TestProgram;

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string PlainText(const std::vector<uint8_t>& file) {
    std::string text;
    for (size_t i = 0; i + 2 < file.size(); ++i)
        text.push_back(static_cast<char>(Unscramble(file[i])));
    return text;
}

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(FoldedSum, TrailerOfKnownTexts) {
    EXPECT_EQ(ChecksumTrailer(Bytes("abc")), (std::array<uint8_t, 2>{0xD8, 0xFF}));
    EXPECT_EQ(ChecksumTrailer(std::vector<uint8_t>{}), (std::array<uint8_t, 2>{0xFF, 0xFF}));
    auto withTrailer = Bytes("abc");
    withTrailer.push_back(0xD8);
    withTrailer.push_back(0xFF);
    EXPECT_EQ(FoldedSum(withTrailer), 0xFF);
    // A sum that wraps past 16 bits still folds to the ones'-complement byte sum.
    std::vector<uint8_t> many(600, 0xFF);
    const auto trailer = ChecksumTrailer(many);
    many.insert(many.end(), trailer.begin(), trailer.end());
    EXPECT_EQ(FoldedSum(many), 0xFF);
}

TEST(Scrambling, IsABijectionOnPrintableCodesAndLeavesOthersAlone) {
    std::array<bool, 256> hit{};
    for (int c = 0; c < 256; ++c) {
        const uint8_t e = Scramble(static_cast<uint8_t>(c));
        EXPECT_EQ(Unscramble(e), c);
        if (c >= 0x20 && c <= 0x7F) {
            EXPECT_GE(e, 0x20);
            EXPECT_LE(e, 0x7F);
            EXPECT_FALSE(hit[e]) << c;
            hit[e] = true;
        } else {
            EXPECT_EQ(e, c);
        }
    }
}

TEST(ParseSettingsFile, ReadsTheShippedValues) {
    const auto file = BuildSettingsFile(DefaultSettings());
    Settings s;
    ASSERT_EQ(ParseSettingsFile(file, s), SettingsError::None);
    EXPECT_EQ(s.header_id, kDefaultHeaderId);
    EXPECT_EQ(s.base_port, kDefaultBasePort);
    EXPECT_STREQ(s.multicast_group, kDefaultMulticastGroup);
    EXPECT_EQ(s.multicast_interface_on_off, 1);
    EXPECT_EQ(s.multicast_timer_flag, 0);
    EXPECT_EQ(s.multicast_timer, 0);
    EXPECT_EQ(s.refresh_time, 15);
    // The stored text is scrambled: no key appears in clear.
    const std::string raw(file.begin(), file.end());
    EXPECT_EQ(raw.find("refresh_time"), std::string::npos);
    EXPECT_NE(PlainText(file).find("refresh_time=15\r\n"), std::string::npos);
}

TEST(ParseSettingsFile, DerivesPortsAndReadsHexValues) {
    Settings in = DefaultSettings();
    in.header_id = 0x0000ABCD;
    in.base_port = 0x0FA0;
    Settings s;
    ASSERT_EQ(ParseSettingsFile(BuildSettingsFile(in), s), SettingsError::None);
    EXPECT_EQ(s.header_id, 43981u);
    EXPECT_EQ(s.base_port, 4000);
    EXPECT_EQ(s.broadcast_port, 4000);
    EXPECT_EQ(s.unicast_port, 4001);
    EXPECT_EQ(s.device_port, 4002);
    EXPECT_EQ(s.multicast_port, 4006);
    EXPECT_EQ(s.report_port, 4007);
    in.base_port = 0xFFFE;  // derived ports wrap in 16 bits
    ASSERT_EQ(ParseSettingsFile(BuildSettingsFile(in), s), SettingsError::None);
    EXPECT_EQ(s.device_port, 0);
    EXPECT_EQ(s.report_port, 5);
}

// Rebuilds a file from a plain text (scrambled, with a sound trailer).
std::vector<uint8_t> FileFromPlain(std::string_view plain) {
    std::vector<uint8_t> bytes;
    for (char c : plain)
        bytes.push_back(Scramble(static_cast<uint8_t>(c)));
    const auto trailer = ChecksumTrailer(bytes);
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    return bytes;
}

TEST(ParseSettingsFile, RejectsDamagedOrForeignFilesAndChangesNothing) {
    const std::string good = PlainText(BuildSettingsFile(DefaultSettings()));
    auto without = [&](std::string_view what) {
        std::string t = good;
        t.erase(t.find(what), what.size());
        return t;
    };
    auto flipped = BuildSettingsFile(DefaultSettings());
    flipped[10] ^= 0x01;
    std::vector<uint8_t> tooLong = FileFromPlain(good + std::string(300, ' '));
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        SettingsError error;
    } cases[] = {
        {"empty", {}, SettingsError::Checksum},
        {"one byte", {0xFF}, SettingsError::Checksum},
        {"one flipped bit", flipped, SettingsError::Checksum},
        {"truncated", std::vector<uint8_t>(flipped.begin(), flipped.begin() + 40),
         SettingsError::Checksum},
        {"longer than 256", tooLong, SettingsError::TooLong},
        {"an equals sign missing", FileFromPlain(without("=")), SettingsError::Malformed},
        {"a key missing", FileFromPlain(without("refresh_time_len")), SettingsError::Malformed},
        {"short group address", FileFromPlain(without("255.")), SettingsError::Malformed},
    };
    for (const auto& c : cases) {
        Settings s;
        s.refresh_time = 77;
        EXPECT_EQ(ParseSettingsFile(c.file, s), c.error) << c.name;
        EXPECT_EQ(s.refresh_time, 77) << c.name;
        EXPECT_EQ(s.header_id, 0u) << c.name;
    }
}

TEST(ParseSettingsFile, NonHexIdentifierStaysZero) {
    std::string plain = PlainText(BuildSettingsFile(DefaultSettings()));
    plain.replace(plain.find("50564D55"), 8, "5056G D5");
    Settings s;
    ASSERT_EQ(ParseSettingsFile(FileFromPlain(plain), s), SettingsError::None);
    EXPECT_EQ(s.header_id, 0u);
    EXPECT_EQ(s.base_port, kDefaultBasePort);
}

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override { WriteAll(path(), BuildSettingsFile(DefaultSettings())); }
    std::string path() const { return SettingsFilePath(t.program.configFolder); }
    Settings Reload() {
        Settings s;
        EXPECT_EQ(ParseSettingsFile(ReadAll(path()), s), SettingsError::None);
        return s;
    }
    TestProgram t;
};

TEST_F(SettingsStore, RefreshTime120Then15) {
    StoreSetting(t.ui, t.program.configFolder, "120", StoredSetting::RefreshTime);
    EXPECT_EQ(Reload().refresh_time, 120);
    EXPECT_NE(PlainText(ReadAll(path())).find("refresh_time_len=3\r\nrefresh_time=120\r\n"),
              std::string::npos);
    const size_t longer = ReadAll(path()).size();

    StoreSetting(t.ui, t.program.configFolder, "15", StoredSetting::RefreshTime);
    EXPECT_EQ(Reload().refresh_time, 15);
    EXPECT_NE(PlainText(ReadAll(path())).find("refresh_time_len=2\r\nrefresh_time=15\r\n"),
              std::string::npos);
    EXPECT_EQ(ReadAll(path()).size(), longer - 1);
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(SettingsStore, GroupIntervalFlagAndTimer) {
    StoreSetting(t.ui, t.program.configFolder, "1", StoredSetting::MulticastTimerFlag);
    StoreSetting(t.ui, t.program.configFolder, "300", StoredSetting::MulticastTimer);
    Settings s = Reload();
    EXPECT_EQ(s.multicast_timer_flag, 1);
    EXPECT_EQ(s.multicast_timer, 300);
    EXPECT_EQ(s.refresh_time, 15);  // the rest stays as it was
    EXPECT_EQ(s.header_id, kDefaultHeaderId);

    StoreSetting(t.ui, t.program.configFolder, "0", StoredSetting::MulticastTimerFlag);
    StoreSetting(t.ui, t.program.configFolder, "0", StoredSetting::MulticastTimer);
    s = Reload();
    EXPECT_EQ(s.multicast_timer_flag, 0);
    EXPECT_EQ(s.multicast_timer, 0);
    EXPECT_NE(PlainText(ReadAll(path())).find("strlen_multi_timer=1\r\nmulticast_timer=0\r\n"),
              std::string::npos);
}

TEST_F(SettingsStore, AFileThatFailedItsCheckIsLeftAsItIsAndTheStoreSaysSo) {
    const auto sound = ReadAll(path());
    for (size_t at : {size_t{5}, sound.size() - 2}) {  // a damaged value, a damaged trailer
        SCOPED_TRACE(at);
        auto damaged = sound;
        damaged[at] ^= 0x10;
        WriteAll(path(), damaged);
        t.ui.Clear();
        EXPECT_EQ(StoreSetting(t.ui, t.program.configFolder, "60", StoredSetting::RefreshTime), -1);
        EXPECT_EQ(t.ui.messages,
                  (std::vector<test::Message>{
                      {std::string(kStoreRefused), "file error", Icon::Error, Owner::MainWindow}}));
        // Never given a fresh trailer: the damage still shows at the next start.
        EXPECT_EQ(ReadAll(path()), damaged);
    }
}

TEST_F(SettingsStore, ASymbolicLinkIsSavedThroughToItsTarget) {
    const std::string shared = t.dir.File("shared.ecf");
    std::filesystem::rename(path(), shared);
    std::filesystem::create_symlink("shared.ecf", path());
    EXPECT_EQ(StoreSetting(t.ui, t.program.configFolder, "60", StoredSetting::RefreshTime), 0);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(path()));
    Settings s;
    ASSERT_EQ(ParseSettingsFile(ReadAll(shared), s), SettingsError::None);
    EXPECT_EQ(s.refresh_time, 60);
}

TEST_F(SettingsStore, MissingFileOrKeysLeaveTheFileAlone) {
    std::filesystem::remove(path());
    StoreSetting(t.ui, t.program.configFolder, "60", StoredSetting::RefreshTime);
    EXPECT_FALSE(std::filesystem::exists(path()));
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{std::string(kSettingsUnreadable) + ": " +
                                                     path() + ": No such file or directory"});

    const std::vector<uint8_t> foreign = FileFromPlain("a=1\r\nb=2\r\n");
    WriteAll(path(), foreign);
    StoreSetting(t.ui, t.program.configFolder, "60", StoredSetting::RefreshTime);
    EXPECT_EQ(ReadAll(path()), foreign);
}

TEST(AppendSettingsChecksum, AcceptsUpTo1024Bytes) {
    TestProgram t;
    const std::string path = t.dir.File("x.ecf");
    WriteAll(path, std::vector<uint8_t>(1024, 'a'));
    AppendSettingsChecksum(t.ui, path);
    auto bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 1026u);
    EXPECT_EQ(FoldedSum(bytes), 0xFF);
    EXPECT_TRUE(t.ui.messages.empty());

    WriteAll(path, std::vector<uint8_t>(1025, 'a'));
    AppendSettingsChecksum(t.ui, path);
    EXPECT_EQ(ReadAll(path).size(), 1025u);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"file size too large"});

    t.ui.Clear();
    AppendSettingsChecksum(t.ui, t.dir.File("missing.ecf"));
    EXPECT_EQ(t.ui.Texts(),
              std::vector<std::string>{"open file fail: " + t.dir.File("missing.ecf") +
                                       ": No such file or directory"});
}

TEST(LoadSettings, ShippedFileLoadsSilently) {
    TestProgram t;
    t.program.settings = Settings{};
    WriteAll(SettingsFilePath(t.program.configFolder), BuildSettingsFile(DefaultSettings()));
    EXPECT_EQ(LoadSettings(t.ui, t.program.configFolder, t.program.settings), 0);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(t.program.settings.device_port, kDefaultBasePort + 2);
}

TEST(LoadSettings, FlippedByteGivesTheChecksumErrorAndLeavesSettingsZero) {
    TestProgram t;
    t.program.settings = Settings{};
    auto file = BuildSettingsFile(DefaultSettings());
    file[5] ^= 0x04;
    WriteAll(SettingsFilePath(t.program.configFolder), file);
    EXPECT_EQ(LoadSettings(t.ui, t.program.configFolder, t.program.settings), -1);
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0], (test::Message{"define.ecf checksum error", "file error",
                                               Icon::Error, Owner::MainWindow}));
    EXPECT_EQ(t.program.settings.header_id, 0u);
    EXPECT_EQ(t.program.settings.refresh_time, 0);
    EXPECT_EQ(t.program.settings.multicast_interface_on_off, 0);
}

TEST(SettingsFileKinds, AFifoOrAFolderIsRefusedAtOnceByTheLoadAndTheStore) {
    for (const bool fifo : {true, false}) {
        SCOPED_TRACE(fifo ? "fifo" : "folder");
        TestProgram t;
        const std::string path = SettingsFilePath(t.program.configFolder);
        std::optional<test::GuardedFifo> guard;
        if (fifo) {
            guard.emplace(path);
            ASSERT_TRUE(guard->Ok());
        } else {
            std::filesystem::create_directory(path);
        }
        const std::vector<std::string> refused{NotRegularFileText(path)};
        EXPECT_EQ(LoadSettings(t.ui, t.program.configFolder, t.program.settings), -1);
        EXPECT_EQ(t.ui.Texts(), refused);
        t.ui.Clear();
        EXPECT_EQ(StoreSetting(t.ui, t.program.configFolder, "60", StoredSetting::RefreshTime), -1);
        EXPECT_EQ(t.ui.Texts(), refused);
        EXPECT_EQ(std::filesystem::is_fifo(path), fifo);
        EXPECT_EQ(std::filesystem::is_directory(path), !fifo);
    }
}

TEST(LoadSettings, MissingFileIsAFailure) {
    TestProgram t;
    t.program.settings = Settings{};
    EXPECT_EQ(LoadSettings(t.ui, t.program.configFolder, t.program.settings), -1);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{std::string(kSettingsUnreadable) + ": " +
                                                     SettingsFilePath(t.program.configFolder) +
                                                     ": No such file or directory"});
    EXPECT_EQ(t.program.settings.base_port, 0);
}

}  // namespace
}  // namespace pm
