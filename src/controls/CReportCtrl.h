#pragma once
// The report list behind both device lists, as a plain model: columns, rows that carry the
// caller's own item value, per-cell text and background colours kept in step with the
// columns, row states (selected, checked, focused) and the image index of the first column.
// The Qt view renders it and reports the user's selection back; observers hear every change.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pm {

// State filter and state-change flags.
constexpr uint32_t kStateAny = 0x01;
constexpr uint32_t kStateSelected = 0x02;
constexpr uint32_t kStateUnselected = 0x04;
constexpr uint32_t kStateChecked = 0x08;
constexpr uint32_t kStateUnchecked = 0x10;
constexpr uint32_t kStateFocused = 0x20;
constexpr uint32_t kStateUnfocused = 0x40;

// Colours as 0x00RRGGBB.
using Rgb = uint32_t;
constexpr Rgb MakeRgb(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}
constexpr Rgb kPureRed = MakeRgb(255, 0, 0);
constexpr Rgb kWindowTextColor = MakeRgb(0, 0, 0);
constexpr Rgb kWindowColor = MakeRgb(255, 255, 255);

enum class ColumnFormat { Left = 0, Right = 1, Centre = 2 };

struct ReportColumn {
    std::string caption;
    ColumnFormat format = ColumnFormat::Left;
    int width = 100;
};

struct ReportRow {
    uint32_t itemValue = 0;
    int image = -1;  // -1: no image
    std::vector<std::string> texts;
    std::vector<Rgb> textColors;
    std::vector<Rgb> backColors;
    bool selected = false;
    bool checked = false;
    bool focused = false;
};

struct ReportChange {
    enum class Kind {
        Reset,
        ColumnInserted,
        RowInserted,
        RowRemoved,
        RowChanged,
        SelectionChanged,
        RowsReordered
    };
    Kind kind;
    int row = -1;  // -1 for changes that concern more than one row
};

class CReportCtrl {
  public:
    using Observer = std::function<void(const ReportChange&)>;

    int InsertColumn(int index, std::string_view caption, ColumnFormat format = ColumnFormat::Left,
                     int width = 100, int subItem = -1);
    int GetColumnCount() const { return static_cast<int>(columns_.size()); }
    const std::vector<ReportColumn>& Columns() const { return columns_; }

    // Inserts a row at position row (clamped to the end); returns its index or -1.
    int InsertItem(int row, std::string_view text, int image, uint32_t itemValue);
    bool SetItemText(int row, int column, std::string_view text);
    std::string GetItemText(int row, int column) const;  // empty outside the list
    uint32_t GetItemData(int row) const;                 // 0 outside the list
    bool SetItemData(int row, uint32_t value);
    int GetItemImage(int row) const;
    // color -1 means the window-text colour. A row outside the list means every row, a
    // column outside the columns every column.
    void SetItemTextColor(int row, int column, int64_t color, bool redraw);
    void SetItemBkColor(int row, int column, int64_t color, bool redraw);
    Rgb GetItemTextColor(int row, int column) const;
    Rgb GetItemBkColor(int row, int column) const;

    bool SetItemStates(int row, uint32_t states);
    bool RowMatches(int row, uint32_t states) const;
    int GetItemCount(uint32_t states = kStateAny) const;
    bool DeleteItem(int row, bool selectNext = false);
    int DeleteItems(uint32_t states);

    std::vector<int> SelectedRows() const;  // ascending
    int FirstSelected() const;              // -1 when none
    // The first of rows 0..limit-1 whose column text equals text, or -1.
    int FindRowByText(int column, std::string_view text, int limit = 256) const;

    // Reorders the rows only: by the column's text compared as unsigned bytes, or by the
    // image index; stable.
    void SortRows(int column, bool byImage, bool ascending);

    const ReportRow& Row(int row) const { return rows_.at(static_cast<size_t>(row)); }
    void AddObserver(Observer observer) { observers_.push_back(std::move(observer)); }

  private:
    bool Valid(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }
    void Notify(ReportChange::Kind kind, int row = -1);
    std::vector<ReportColumn> columns_;
    std::vector<ReportRow> rows_;
    std::vector<Observer> observers_;
};

}  // namespace pm
