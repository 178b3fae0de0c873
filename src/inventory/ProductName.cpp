#include "inventory/ProductName.h"

namespace pm {

std::string FormatProductName(std::string_view raw) {
    // Only the text up to a terminator counts, as the device's field is a C string.
    if (const size_t nul = raw.find('\0'); nul != std::string_view::npos)
        raw = raw.substr(0, nul);
    if (raw.find("QRVM410_") != std::string_view::npos) {
        return "QR-VM410/" + std::string(raw.substr(raw.find('_') + 1));
    }
    if (raw.find("QR_") != std::string_view::npos) {
        // Up to three underscore-separated fields of at most 49 characters; scanning stops at
        // the first empty field.
        std::string fields[3];
        size_t pos = 0;
        for (int f = 0; f < 3; ++f) {
            if (f > 0) {
                if (pos >= raw.size() || raw[pos] != '_')
                    break;
                ++pos;
            }
            size_t end = pos;
            while (end < raw.size() && raw[end] != '_' && end - pos < 49)
                ++end;
            if (end == pos)
                break;
            fields[f] = std::string(raw.substr(pos, end - pos));
            pos = end;
            if (pos < raw.size() && raw[pos] != '_')
                break;  // field longer than 49: scanning stops
        }
        return fields[0] + "-" + fields[1] + "/" + fields[2];
    }
    return std::string(raw);
}

}  // namespace pm
