#include "storage/SettingsFile.h"

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "base/AddressText.h"
#include "base/FixedText.h"
#include "base/Ui.h"
#include "storage/FileMessage.h"
#include "storage/RegularFile.h"

namespace pm {
namespace {

constexpr std::string_view kKeys[] = {"multicast_interface_on_off=", "multicast_timer_flag=",
                                      "strlen_multi_timer=",         "multicast_timer=",
                                      "refresh_time_len=",           "refresh_time="};

int ModInverse(int a, int m) {
    // Extended Euclid; a and m are coprime.
    int t = 0, newT = 1, r = m, newR = a;
    while (newR != 0) {
        const int q = r / newR;
        t = t - q * newT;
        std::swap(t, newT);
        r = r - q * newR;
        std::swap(r, newR);
    }
    return t < 0 ? t + m : t;
}

const int kInverseMultiplier = ModInverse(kScrambleMultiplier, 96);

// Reads the file as StoreSetting and LoadSettings do; false after the message that says why
// it can't be used.
bool ReadSettings(Ui& ui, const std::string& path, size_t limit, std::vector<uint8_t>& out) {
    FileContents file = ReadRegularFile(path, limit);
    switch (file.status) {
        case FileStatus::Ok:
            out = std::move(file.bytes);
            return true;
        case FileStatus::NotRegular:
            ui.Notice(NotRegularFileText(path), "file error", Icon::Error);
            return false;
        case FileStatus::Missing:
        case FileStatus::Failed:
            break;
    }
    ui.Notice(WithPath(kSettingsUnreadable, path, file.error), "file error", Icon::Error);
    return false;
}

std::string Unscrambled(std::span<const uint8_t> bytes) {
    std::string text(bytes.size(), '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        text[i] = static_cast<char>(Unscramble(bytes[i]));
    return text;
}

int DigitValue(char c) {
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

int DecimalValue(std::string_view s) {
    // Leading digits only, as atoi reads them; at most 9 so nothing overflows.
    int v = 0;
    for (size_t i = 0; i < s.size() && i < 9 && s[i] >= '0' && s[i] <= '9'; ++i)
        v = v * 10 + (s[i] - '0');
    return v;
}

uint32_t HexValue(std::string_view s) {
    uint8_t bytes[4] = {};
    if (HexToBytes(s, bytes, sizeof bytes) != 0)
        return 0;
    uint32_t v = 0;
    for (size_t i = 0; i < s.size() / 2; ++i)
        v = v << 8 | bytes[i];
    return v;
}

// Checks the layout the reader and writer rely on: nine "=", the six key texts in order,
// and a line-3 value of exactly 15 characters.
bool WellFormed(const std::string& text) {
    size_t equals = 0;
    size_t third = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=')
            continue;
        if (++equals == 3)
            third = i;
    }
    if (equals < 9)
        return false;
    size_t at = 0;
    for (auto key : kKeys) {
        at = text.find(key, at);
        if (at == std::string::npos)
            return false;
    }
    const size_t lineEnd = text.find("\r\n", third);
    return lineEnd != std::string::npos && lineEnd - third - 1 == 15;
}

}  // namespace

uint8_t FoldedSum(std::span<const uint8_t> bytes) {
    uint16_t sum = 0;
    for (uint8_t b : bytes)
        sum = static_cast<uint16_t>(sum + b);
    const unsigned s = (sum & 0xFFu) + (sum >> 8);
    return static_cast<uint8_t>((s & 0xFFu) + (s >> 8));
}

std::array<uint8_t, 2> ChecksumTrailer(std::span<const uint8_t> text) {
    return {static_cast<uint8_t>(0xFF - FoldedSum(text)), 0xFF};
}

uint8_t Scramble(uint8_t c) {
    if (c < 0x20 || c > 0x7F)
        return c;
    return static_cast<uint8_t>(((c - 0x20) * kScrambleMultiplier + kScrambleAddend) % 96 + 0x20);
}

uint8_t Unscramble(uint8_t e) {
    if (e < 0x20 || e > 0x7F)
        return e;
    const int shifted = ((e - 0x20 - kScrambleAddend) % 96 + 96) % 96;
    return static_cast<uint8_t>(shifted * kInverseMultiplier % 96 + 0x20);
}

SettingsError ParseSettingsFile(std::span<const uint8_t> file, Settings& out) {
    if (file.size() > kSettingsFileMax)
        return SettingsError::TooLong;
    if (file.size() < 2 || FoldedSum(file) != 0xFF)
        return SettingsError::Checksum;
    const std::string withLineEnds = Unscrambled(file.first(file.size() - 2));
    if (!WellFormed(withLineEnds))
        return SettingsError::Malformed;

    std::string text;
    text.reserve(withLineEnds.size());
    for (size_t i = 0; i < withLineEnds.size(); ++i) {
        if (withLineEnds[i] == '\r' && i + 1 < withLineEnds.size() && withLineEnds[i + 1] == '\n') {
            ++i;
            continue;
        }
        text.push_back(withLineEnds[i]);
    }

    // Each value follows the next "=", the search starting just after the previous one.
    size_t from = 0;
    auto next = [&](size_t width) -> std::string_view {
        const size_t eq = text.find('=', from);
        if (eq == std::string::npos)
            return {};
        from = eq + 1;
        return std::string_view(text).substr(eq + 1, width);
    };
    Settings settings;
    settings.header_id = HexValue(next(8));
    settings.base_port = static_cast<uint16_t>(HexValue(next(4)));
    std::string_view group = next(15);
    while (!group.empty() && group.back() == ' ')
        group.remove_suffix(1);
    SetText(settings.multicast_group, group);
    settings.multicast_interface_on_off = DecimalValue(next(1));
    settings.multicast_timer_flag = DecimalValue(next(1));
    const std::string_view timerLen = next(1);
    const int n = timerLen.empty() ? 0 : DigitValue(timerLen[0]);
    settings.multicast_timer = DecimalValue(next(static_cast<size_t>(n)));
    const std::string_view refreshLen = next(1);
    const int m = refreshLen.empty() ? 0 : DigitValue(refreshLen[0]);
    settings.refresh_time = DecimalValue(next(static_cast<size_t>(m)));
    settings.DerivePorts();
    out = settings;
    return SettingsError::None;
}

std::vector<uint8_t> BuildSettingsFile(const Settings& settings, std::string_view line1Key,
                                       std::string_view line2Key, std::string_view line3Key) {
    char id[9], port[5];
    std::snprintf(id, sizeof id, "%08X", settings.header_id);
    std::snprintf(port, sizeof port, "%04X", settings.base_port);
    std::string group(TextOf(settings.multicast_group));
    group.resize(15, ' ');
    const std::string timer = std::to_string(settings.multicast_timer);
    const std::string refresh = std::to_string(settings.refresh_time);
    std::string text;
    auto line = [&](std::string_view key, std::string_view value) {
        text.append(key).append("=").append(value).append("\r\n");
    };
    line(line1Key, id);
    line(line2Key, port);
    line(line3Key, group);
    line("multicast_interface_on_off", std::to_string(settings.multicast_interface_on_off));
    line("multicast_timer_flag", std::to_string(settings.multicast_timer_flag));
    line("strlen_multi_timer", std::to_string(timer.size()));
    line("multicast_timer", timer);
    line("refresh_time_len", std::to_string(refresh.size()));
    line("refresh_time", refresh);
    std::vector<uint8_t> bytes;
    for (char c : text)
        bytes.push_back(Scramble(static_cast<uint8_t>(c)));
    const auto trailer = ChecksumTrailer(bytes);
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    return bytes;
}

std::string SettingsFilePath(const std::string& configFolder) {
    return configFolder + "/" + std::string(kSettingsFileName);
}

int LoadSettings(Ui& ui, const std::string& configFolder, Settings& settings) {
    std::vector<uint8_t> file;
    if (!ReadSettings(ui, SettingsFilePath(configFolder), kSettingsFileMax + 1, file))
        return -1;
    // A file too long to be ours, or not laid out as ours, counts as a corrupt one.
    if (ParseSettingsFile(file, settings) != SettingsError::None) {
        ui.Notice(kChecksumError, "file error", Icon::Error);
        return -1;
    }
    return 0;
}

bool AppendChecksumTo(Ui& ui, const std::string& path) {
    FileContents file = ReadRegularFile(path, kSettingsStoreMax + 1);
    if (file.status != FileStatus::Ok) {
        ui.Notice(WithPath("open file fail", path, file.error), kAppTitle, Icon::None);
        return false;
    }
    const std::vector<uint8_t>& text = file.bytes;
    if (text.size() > kSettingsStoreMax) {
        ui.Notice("file size too large", kAppTitle, Icon::None);
        return false;
    }
    const auto trailer = ChecksumTrailer(text);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out)
        return false;
    out.write(reinterpret_cast<const char*>(trailer.data()), 2);
    return static_cast<bool>(out.flush());
}

void AppendSettingsChecksum(Ui& ui, const std::string& path) {
    AppendChecksumTo(ui, path);
}

int StoreSetting(Ui& ui, const std::string& configFolder, std::string_view value,
                 StoredSetting which) {
    const std::string path = SettingsFilePath(configFolder);
    std::vector<uint8_t> file;
    if (!ReadSettings(ui, path, kSettingsStoreMax, file))
        return -1;
    // A file that fails its check keeps its damage: rewritten, it would get a sound trailer
    // and its damaged values would load at the next start without a word.
    if (FoldedSum(file) != 0xFF) {
        ui.Notice(kStoreRefused, "file error", Icon::Error);
        return -1;
    }
    std::string text = Unscrambled(file);

    // Find the six keys in order, each search starting where the previous key was found.
    size_t at[6];
    size_t from = 0;
    for (int k = 0; k < 6; ++k) {
        at[k] = text.find(kKeys[k], from);
        if (at[k] == std::string::npos) {
            ui.Notice(WithPath(kSettingsUnreadable, path), "file error", Icon::Error);
            return -1;
        }
        from = at[k];
    }
    auto valueAt = [&](int k) { return at[k] + kKeys[k].size(); };
    if (valueAt(5) > text.size() || valueAt(4) >= text.size() || valueAt(2) >= text.size()) {
        ui.Notice(WithPath(kSettingsUnreadable, path), "file error", Icon::Error);
        return -1;
    }
    const size_t timerLen = static_cast<size_t>(DigitValue(text[valueAt(2)]));
    const size_t refreshLen = static_cast<size_t>(DigitValue(text[valueAt(4)]));
    const size_t end = valueAt(5) + refreshLen + 2;  // the refresh value and its line end
    if (end > text.size() || valueAt(3) + timerLen > text.size() || value.size() > 9) {
        ui.Notice(WithPath(kSettingsUnreadable, path), "file error", Icon::Error);
        return -1;
    }
    text.resize(end);  // the old trailer goes

    // Later positions first, so earlier ones stay valid.
    switch (which) {
        case StoredSetting::MulticastTimerFlag:
            if (valueAt(1) < text.size())
                text[valueAt(1)] = value.empty() ? '0' : value[0];
            break;
        case StoredSetting::MulticastTimer:
            text.replace(valueAt(3), timerLen, value);
            text[valueAt(2)] = static_cast<char>('0' + value.size());
            break;
        case StoredSetting::RefreshTime:
            text.replace(valueAt(5), refreshLen, value);
            text[valueAt(4)] = static_cast<char>('0' + value.size());
            break;
        default:
            break;
    }

    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() + 2);
    for (char c : text)
        bytes.push_back(Scramble(static_cast<uint8_t>(c)));
    if (bytes.size() > kSettingsStoreMax) {
        ui.Notice("file size too large", kAppTitle, Icon::None);
        return -1;
    }
    const auto trailer = ChecksumTrailer(bytes);
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    // Written whole beside the file (through a link, beside its target) and renamed over it,
    // so a failed write never leaves a file without its trailer.
    switch (ReplaceRegularFile(path, bytes)) {
        case FileStatus::Ok:
            return 0;
        case FileStatus::NotRegular:
            ui.Notice(NotRegularFileText(path), "file error", Icon::Error);
            return -1;
        default:
            ui.Notice(WithPath("ECF File created fail", path), kAppTitle, Icon::None);
            return -1;
    }
}

}  // namespace pm
