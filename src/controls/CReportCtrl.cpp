#include "controls/CReportCtrl.h"

#include <algorithm>

namespace pm {

void CReportCtrl::Notify(ReportChange::Kind kind, int row) {
    const ReportChange change{kind, row};
    for (const auto& observer : observers_)
        observer(change);
}

int CReportCtrl::InsertColumn(int index, std::string_view caption, ColumnFormat format, int width,
                              int) {
    if (index < 0)
        return -1;
    const size_t at = std::min(static_cast<size_t>(index), columns_.size());
    columns_.insert(columns_.begin() + static_cast<long>(at),
                    ReportColumn{std::string(caption), format, width});
    // Every row's texts and colours move with their columns.
    for (auto& row : rows_) {
        row.texts.insert(row.texts.begin() + static_cast<long>(at), std::string());
        row.textColors.insert(row.textColors.begin() + static_cast<long>(at), kWindowTextColor);
        row.backColors.insert(row.backColors.begin() + static_cast<long>(at), kWindowColor);
    }
    Notify(ReportChange::Kind::ColumnInserted, static_cast<int>(at));
    return static_cast<int>(at);
}

int CReportCtrl::InsertItem(int row, std::string_view text, int image, uint32_t itemValue) {
    if (row < 0)
        return -1;
    const size_t at = std::min(static_cast<size_t>(row), rows_.size());
    ReportRow r;
    r.itemValue = itemValue;
    r.image = image;
    r.texts.assign(columns_.size(), std::string());
    if (!r.texts.empty())
        r.texts[0] = std::string(text);
    r.textColors.assign(columns_.size(), kWindowTextColor);
    r.backColors.assign(columns_.size(), kWindowColor);
    rows_.insert(rows_.begin() + static_cast<long>(at), std::move(r));
    Notify(ReportChange::Kind::RowInserted, static_cast<int>(at));
    return static_cast<int>(at);
}

bool CReportCtrl::SetItemText(int row, int column, std::string_view text) {
    if (!Valid(row) || column < 0 || column >= GetColumnCount())
        return false;
    auto& cell = rows_[static_cast<size_t>(row)].texts[static_cast<size_t>(column)];
    if (cell == text)
        return true;
    cell = std::string(text);
    Notify(ReportChange::Kind::RowChanged, row);
    return true;
}

std::string CReportCtrl::GetItemText(int row, int column) const {
    if (!Valid(row) || column < 0 || column >= GetColumnCount())
        return {};
    return rows_[static_cast<size_t>(row)].texts[static_cast<size_t>(column)];
}

uint32_t CReportCtrl::GetItemData(int row) const {
    return Valid(row) ? rows_[static_cast<size_t>(row)].itemValue : 0;
}

bool CReportCtrl::SetItemData(int row, uint32_t value) {
    if (!Valid(row))
        return false;
    rows_[static_cast<size_t>(row)].itemValue = value;
    return true;
}

int CReportCtrl::GetItemImage(int row) const {
    return Valid(row) ? rows_[static_cast<size_t>(row)].image : -1;
}

void CReportCtrl::SetItemTextColor(int row, int column, int64_t color, bool) {
    const Rgb rgb = color < 0 ? kWindowTextColor : static_cast<Rgb>(color);
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        if (Valid(row) && r != row)
            continue;
        auto& colors = rows_[static_cast<size_t>(r)].textColors;
        for (int c = 0; c < static_cast<int>(colors.size()); ++c)
            if (column < 0 || column >= GetColumnCount() || c == column)
                colors[static_cast<size_t>(c)] = rgb;
    }
    Notify(ReportChange::Kind::RowChanged, Valid(row) ? row : -1);
}

void CReportCtrl::SetItemBkColor(int row, int column, int64_t color, bool) {
    const Rgb rgb = color < 0 ? kWindowColor : static_cast<Rgb>(color);
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        if (Valid(row) && r != row)
            continue;
        auto& colors = rows_[static_cast<size_t>(r)].backColors;
        for (int c = 0; c < static_cast<int>(colors.size()); ++c)
            if (column < 0 || column >= GetColumnCount() || c == column)
                colors[static_cast<size_t>(c)] = rgb;
    }
    Notify(ReportChange::Kind::RowChanged, Valid(row) ? row : -1);
}

Rgb CReportCtrl::GetItemTextColor(int row, int column) const {
    if (!Valid(row) || column < 0 || column >= GetColumnCount())
        return kWindowTextColor;
    return rows_[static_cast<size_t>(row)].textColors[static_cast<size_t>(column)];
}

Rgb CReportCtrl::GetItemBkColor(int row, int column) const {
    if (!Valid(row) || column < 0 || column >= GetColumnCount())
        return kWindowColor;
    return rows_[static_cast<size_t>(row)].backColors[static_cast<size_t>(column)];
}

bool CReportCtrl::SetItemStates(int row, uint32_t states) {
    if (!Valid(row))
        return false;
    auto& r = rows_[static_cast<size_t>(row)];
    const bool wasSelected = r.selected;
    if (states & kStateSelected)
        r.selected = true;
    if (states & kStateUnselected)
        r.selected = false;
    if (states & kStateChecked)
        r.checked = true;
    if (states & kStateUnchecked)
        r.checked = false;
    if (states & kStateFocused) {
        for (auto& other : rows_)
            other.focused = false;
        r.focused = true;
    }
    if (states & kStateUnfocused)
        r.focused = false;
    if (wasSelected != r.selected)
        Notify(ReportChange::Kind::SelectionChanged, row);
    return true;
}

bool CReportCtrl::RowMatches(int row, uint32_t states) const {
    if (!Valid(row))
        return false;
    if (states & kStateAny)
        return true;
    const auto& r = rows_[static_cast<size_t>(row)];
    if ((states & kStateSelected) && !r.selected)
        return false;
    if ((states & kStateUnselected) && r.selected)
        return false;
    if ((states & kStateChecked) && !r.checked)
        return false;
    if ((states & kStateUnchecked) && r.checked)
        return false;
    if ((states & kStateFocused) && !r.focused)
        return false;
    if ((states & kStateUnfocused) && r.focused)
        return false;
    return true;
}

int CReportCtrl::GetItemCount(uint32_t states) const {
    if (states & kStateAny)
        return static_cast<int>(rows_.size());
    int n = 0;
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
        if (RowMatches(r, states))
            ++n;
    return n;
}

bool CReportCtrl::DeleteItem(int row, bool selectNext) {
    if (!Valid(row))
        return false;
    if (selectNext && Valid(row + 1))
        SetItemStates(row + 1, kStateSelected);
    rows_.erase(rows_.begin() + row);
    Notify(ReportChange::Kind::RowRemoved, row);
    return true;
}

int CReportCtrl::DeleteItems(uint32_t states) {
    if (states & kStateAny) {
        const int n = static_cast<int>(rows_.size());
        rows_.clear();
        Notify(ReportChange::Kind::Reset);
        return n;
    }
    int deleted = 0;
    for (int r = static_cast<int>(rows_.size()) - 1; r >= 0; --r) {
        if (!RowMatches(r, states))
            continue;
        rows_.erase(rows_.begin() + r);
        ++deleted;
    }
    if (deleted)
        Notify(ReportChange::Kind::Reset);
    return deleted;
}

std::vector<int> CReportCtrl::SelectedRows() const {
    std::vector<int> out;
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
        if (rows_[static_cast<size_t>(r)].selected)
            out.push_back(r);
    return out;
}

int CReportCtrl::FirstSelected() const {
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
        if (rows_[static_cast<size_t>(r)].selected)
            return r;
    return -1;
}

int CReportCtrl::FindRowByText(int column, std::string_view text, int limit) const {
    if (column < 0 || column >= GetColumnCount())
        return -1;
    const int n = std::min(limit, static_cast<int>(rows_.size()));
    for (int r = 0; r < n; ++r)
        if (rows_[static_cast<size_t>(r)].texts[static_cast<size_t>(column)] == text)
            return r;
    return -1;
}

void CReportCtrl::SortRows(int column, bool byImage, bool ascending) {
    if (!byImage && (column < 0 || column >= GetColumnCount()))
        return;
    const size_t c = static_cast<size_t>(column < 0 ? 0 : column);
    // std::string compares as unsigned bytes through char_traits<char>::compare (memcmp).
    std::stable_sort(rows_.begin(), rows_.end(), [&](const ReportRow& a, const ReportRow& b) {
        if (byImage)
            return ascending ? a.image < b.image : b.image < a.image;
        return ascending ? a.texts[c] < b.texts[c] : b.texts[c] < a.texts[c];
    });
    Notify(ReportChange::Kind::RowsReordered);
}

}  // namespace pm
