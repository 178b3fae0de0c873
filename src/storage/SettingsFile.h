#pragma once
// cfg/define.ecf: nine key=value lines, scrambled byte by byte, closed by a two-byte
// checksum trailer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Settings.h"

namespace pm {

class Ui;

// The fixed scrambling constants: a multiplier prime to 96 and an addend.
constexpr int kScrambleMultiplier = 37;
constexpr int kScrambleAddend = 53;

constexpr size_t kSettingsFileMax = 256;    // what start-up reads
constexpr size_t kSettingsStoreMax = 1024;  // what a store reads and the trailer accepts

inline constexpr std::string_view kSettingsFileName = "define.ecf";

// 8-bit ones'-complement sum of the bytes, folded twice.
uint8_t FoldedSum(std::span<const uint8_t> bytes);
// The two trailer bytes for a text whose folded sum is r: 0xFF - r, 0xFF.
std::array<uint8_t, 2> ChecksumTrailer(std::span<const uint8_t> text);
uint8_t Scramble(uint8_t c);
uint8_t Unscramble(uint8_t e);

enum class SettingsError { None, Checksum, TooLong, Malformed };

// Parses a whole file (trailer included). Pure; any bytes are safe.
SettingsError ParseSettingsFile(std::span<const uint8_t> file, Settings& out);

// The nine lines in plain text, CR LF after each, values as given (the address padded with
// blanks to 15 characters); scrambled and with its trailer when `finish` is true.
std::vector<uint8_t> BuildSettingsFile(const Settings& settings,
                                       std::string_view line1Key = "identifier",
                                       std::string_view line2Key = "port",
                                       std::string_view line3Key = "group");

std::string SettingsFilePath(const std::string& configFolder);

// Start-up load of the cfg folder's define.ecf into settings: 0, or -1 after its message
// (the caller then says the application may fail).
int LoadSettings(Ui& ui, const std::string& configFolder, Settings& settings);

// The values StoreSetting rewrites, by their keys in the file.
enum class StoredSetting {
    MulticastTimerFlag = 1,
    MulticastTimer = 2,
    RefreshTime = 3,
};
// Rewrites one value; any other `which` rewrites the file unchanged with a fresh trailer.
// A file that fails its checksum is left as it is, with kStoreRefused. 0, or -1 after a
// message.
int StoreSetting(Ui& ui, const std::string& configFolder, std::string_view text,
                 StoredSetting which);
// Appends the trailer to the file at path.
void AppendSettingsChecksum(Ui& ui, const std::string& path);

// Messages.
inline constexpr std::string_view kChecksumError = "define.ecf checksum error";
inline constexpr std::string_view kSettingsUnreadable = "define.ecf can't be read";
inline constexpr std::string_view kAppWillFail = "It will cause the application fail\n ";
inline constexpr std::string_view kStoreRefused =
    "define.ecf checksum error\nThe damaged file is left as it is: the setting holds for this "
    "run only.";

}  // namespace pm
