#pragma once
// Time stamps for tools: ISO 8601 local time with its offset from UTC,
// e.g. 2026-03-07T14:05:09+01:00.
#include <ctime>
#include <string>

namespace pm::cli {

std::string IsoTime(std::time_t when);

}  // namespace pm::cli
