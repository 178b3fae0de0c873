#include "cli/TextTable.h"

#include <algorithm>
#include <vector>

namespace pm::cli {

std::string FormatTable(const CReportCtrl& list, int firstColumn) {
    const int columns = list.GetColumnCount();
    const int rows = list.GetItemCount();
    std::vector<size_t> width(static_cast<size_t>(std::max(columns, 0)), 0);
    for (int c = firstColumn; c < columns; ++c) {
        width[static_cast<size_t>(c)] = list.Columns()[static_cast<size_t>(c)].caption.size();
        for (int r = 0; r < rows; ++r)
            width[static_cast<size_t>(c)] =
                std::max(width[static_cast<size_t>(c)], list.GetItemText(r, c).size());
    }
    std::string out;
    auto line = [&](auto cell) {
        std::string text;
        for (int c = firstColumn; c < columns; ++c) {
            std::string value = cell(c);
            if (c + 1 < columns)
                value.resize(width[static_cast<size_t>(c)] + 2, ' ');
            text += value;
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        out += text + "\n";
    };
    line([&](int c) { return list.Columns()[static_cast<size_t>(c)].caption; });
    for (int r = 0; r < rows; ++r)
        line([&](int c) { return list.GetItemText(r, c); });
    return out;
}

}  // namespace pm::cli
