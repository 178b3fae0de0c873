#include "cli/IsoTime.h"

#include <cstdio>

namespace pm::cli {

std::string IsoTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    // strftime's %z is +hhmm; ISO 8601's extended form wants +hh:mm.
    const long offset = local.tm_gmtoff;
    // Zones lie within a day of UTC.
    const unsigned minutes = static_cast<unsigned>((offset < 0 ? -offset : offset) / 60 % 1440);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02u:%02u",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

}  // namespace pm::cli
