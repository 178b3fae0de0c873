#pragma once
// Texts that arrive from the network are data. One rule decodes their bytes everywhere (the
// window, the command line, JSON): UTF-8 where the bytes are valid UTF-8, else Latin-1. Two
// more rules keep them inert where they are shown or logged.
#include <string>
#include <string_view>

namespace pm {

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points
// above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The bytes as UTF-8: unchanged when they are valid UTF-8, else each byte read as Latin-1.
std::string DecodeDeviceText(std::string_view raw);

// Valid UTF-8 made safe to show: C0 and C1 control characters and DEL become visible
// (U+2400 control pictures, or "<U+0085>"), and the bidirectional controls (U+061C, U+200E,
// U+200F, U+202A..U+202E, U+2066..U+2069) become "<U+202E>" and the like, so that nothing
// drives a terminal or reorders what is shown.
std::string ShowableText(std::string_view utf8);

// Decode, then make showable: what every display of a switch's text uses.
std::string DisplayDeviceText(std::string_view raw);

// One line of the event log: printable ASCII stays; backslash, CR, LF, other controls and
// every non-ASCII byte are escaped (\\, \r, \n, \xHH), so a text can never break a line.
std::string LogSafeText(std::string_view bytes);

}  // namespace pm
