#pragma once
#include <string>

#include "controls/CReportCtrl.h"

namespace pm::cli {

// A list as a plain-text table for people: the column captions, then one line per row,
// columns padded to their widest cell.
std::string FormatTable(const CReportCtrl& list, int firstColumn = 0);

}  // namespace pm::cli
