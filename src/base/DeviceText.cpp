#include "base/DeviceText.h"

#include <cstdint>
#include <cstdio>

namespace pm {
namespace {

// Length of the well-formed UTF-8 sequence at text[pos] and its code point, or 0.
size_t DecodeOne(std::string_view text, size_t pos, uint32_t& codePoint) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[pos + i]); };
    const size_t left = text.size() - pos;
    const uint8_t lead = byte(0);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    size_t length = 0;
    uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (byte(i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

void AppendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | codePoint >> 6);
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | codePoint >> 12);
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | codePoint >> 18);
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsBidiControl(uint32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

void AppendCodeName(std::string& out, uint32_t codePoint) {
    char name[16];
    std::snprintf(name, sizeof name, "<U+%04X>", static_cast<unsigned>(codePoint));
    out += name;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    uint32_t codePoint = 0;
    for (size_t pos = 0; pos < bytes.size();) {
        const size_t length = DecodeOne(bytes, pos, codePoint);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

std::string DecodeDeviceText(std::string_view raw) {
    if (IsValidUtf8(raw))
        return std::string(raw);
    std::string out;
    out.reserve(raw.size() * 2);
    for (char c : raw)
        AppendUtf8(out, static_cast<uint8_t>(c));
    return out;
}

std::string ShowableText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    uint32_t codePoint = 0;
    for (size_t pos = 0; pos < utf8.size();) {
        size_t length = DecodeOne(utf8, pos, codePoint);
        if (length == 0) {  // not UTF-8 after all: show the byte's Latin-1 meaning
            codePoint = static_cast<uint8_t>(utf8[pos]);
            length = 1;
        }
        if (codePoint < 0x20)
            AppendUtf8(out, 0x2400 + codePoint);
        else if (codePoint == 0x7F)
            AppendUtf8(out, 0x2421);
        else if ((codePoint >= 0x80 && codePoint <= 0x9F) || IsBidiControl(codePoint))
            AppendCodeName(out, codePoint);
        else if (length == 1 && codePoint >= 0x80)
            AppendUtf8(out, codePoint);
        else
            out.append(utf8.substr(pos, length));
        pos += length;
    }
    return out;
}

std::string DisplayDeviceText(std::string_view raw) {
    return ShowableText(DecodeDeviceText(raw));
}

std::string LogSafeText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b == '\\') {
            out += "\\\\";
        } else if (b == '\r') {
            out += "\\r";
        } else if (b == '\n') {
            out += "\\n";
        } else if (b < 0x20 || b >= 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace pm
