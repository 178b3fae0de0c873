// The report list model: columns and colours in step, item values, state filters, sorting.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/CReportCtrl.h"

namespace pm {
namespace {

constexpr Rgb kBlue = MakeRgb(0, 0, 255);
constexpr Rgb kGreen = MakeRgb(0, 255, 0);

CReportCtrl ListWith(int columns, int rows) {
    CReportCtrl list;
    for (int c = 0; c < columns; ++c)
        list.InsertColumn(c, std::string("c").append(std::to_string(c)));
    for (int r = 0; r < rows; ++r)
        list.InsertItem(r, std::string("r").append(std::to_string(r)), -1,
                        static_cast<uint32_t>(100 + r));
    return list;
}

TEST(CReportCtrl, ColumnInsertKeepsTextsAndColoursInStep) {
    CReportCtrl list = ListWith(3, 2);
    list.SetItemText(1, 2, "last");
    list.SetItemTextColor(1, 1, kBlue, true);
    list.SetItemBkColor(1, 2, kGreen, true);

    EXPECT_EQ(list.InsertColumn(1, "new", ColumnFormat::Right, 40), 1);
    ASSERT_EQ(list.GetColumnCount(), 4);
    for (int r = 0; r < 2; ++r) {
        EXPECT_EQ(list.Row(r).textColors.size(), 4u);
        EXPECT_EQ(list.Row(r).backColors.size(), 4u);
        EXPECT_EQ(list.GetItemTextColor(r, 1), kWindowTextColor);
        EXPECT_EQ(list.GetItemBkColor(r, 1), kWindowColor);
    }
    EXPECT_EQ(list.GetItemTextColor(1, 2), kBlue) << "moved with its column";
    EXPECT_EQ(list.GetItemBkColor(1, 3), kGreen);
    EXPECT_EQ(list.GetItemText(1, 3), "last");
    EXPECT_EQ(list.GetItemText(1, 0), "r1");
    EXPECT_EQ(list.InsertColumn(-1, "bad"), -1);
}

TEST(CReportCtrl, TextColourForRowsAndColumnsOutsideTheListMeansAll) {
    struct Case {
        int row, column;
        std::vector<std::pair<int, int>> painted;
    };
    const std::vector<Case> cases = {
        {-1, 2, {{0, 2}, {1, 2}, {2, 2}, {3, 2}}},
        {3, -1, {{3, 0}, {3, 1}, {3, 2}}},
        {7, 1, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
        {1, 5, {{1, 0}, {1, 1}, {1, 2}}},
    };
    for (const auto& c : cases) {
        CReportCtrl list = ListWith(3, 4);
        list.SetItemTextColor(c.row, c.column, kPureRed, true);
        for (int r = 0; r < 4; ++r)
            for (int col = 0; col < 3; ++col) {
                const bool painted = std::find(c.painted.begin(), c.painted.end(),
                                               std::make_pair(r, col)) != c.painted.end();
                EXPECT_EQ(list.GetItemTextColor(r, col), painted ? kPureRed : kWindowTextColor)
                    << c.row << "," << c.column << " cell " << r << "," << col;
            }
    }
    CReportCtrl all = ListWith(2, 2);
    all.SetItemTextColor(-1, -1, kPureRed, false);
    all.SetItemTextColor(1, 1, -1, false);
    EXPECT_EQ(all.GetItemTextColor(0, 0), kPureRed);
    EXPECT_EQ(all.GetItemTextColor(1, 1), kWindowTextColor) << "-1 is the window-text colour";
}

TEST(CReportCtrl, ItemValuesAreTheCallersOwn) {
    CReportCtrl list = ListWith(2, 3);
    EXPECT_EQ(list.InsertItem(1, "x", 1, 7), 1);
    EXPECT_EQ(list.GetItemData(1), 7u);
    EXPECT_EQ(list.GetItemData(2), 101u);
    EXPECT_EQ(list.GetItemImage(1), 1);
    EXPECT_TRUE(list.SetItemData(2, 9));
    EXPECT_EQ(list.GetItemData(2), 9u);
    EXPECT_FALSE(list.SetItemData(9, 1));
    EXPECT_EQ(list.GetItemData(9), 0u);
    EXPECT_EQ(list.InsertItem(99, "end", -1, 5), 4) << "past the end appends";
    EXPECT_EQ(list.InsertItem(-1, "bad", -1, 5), -1);
}

TEST(CReportCtrl, StateFiltersCountAndDelete) {
    CReportCtrl list = ListWith(1, 5);
    list.SetItemStates(1, kStateSelected);
    list.SetItemStates(3, kStateSelected | kStateChecked);
    EXPECT_EQ(list.GetItemCount(kStateAny), 5);
    EXPECT_EQ(list.GetItemCount(kStateSelected), 2);
    EXPECT_EQ(list.GetItemCount(kStateUnselected), 3);
    EXPECT_EQ(list.GetItemCount(kStateSelected | kStateUnselected), 0);
    EXPECT_EQ(list.GetItemCount(kStateSelected | kStateChecked), 1);
    EXPECT_EQ(list.GetItemCount(kStateAny | kStateSelected), 5);
    EXPECT_FALSE(list.SetItemStates(5, kStateSelected));

    list.SetItemStates(2, kStateFocused);
    list.SetItemStates(4, kStateFocused);
    EXPECT_EQ(list.GetItemCount(kStateFocused), 1) << "one row has the focus";

    EXPECT_EQ(list.DeleteItems(kStateSelected), 2);
    EXPECT_EQ(list.GetItemText(1, 0), "r2");
    EXPECT_TRUE(list.DeleteItem(0, true));
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{0}) << "the next row took the selection";
    EXPECT_EQ(list.DeleteItems(kStateAny), 2);
    EXPECT_EQ(list.DeleteItems(kStateAny), 0);
    EXPECT_FALSE(list.DeleteItem(0));
}

TEST(CReportCtrl, SortComparesUnsignedBytesAndIsStable) {
    CReportCtrl list = ListWith(2, 0);
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"b", "1"}, {"\xc3\xa9", "2"}, {"B", "3"}, {"b", "4"}, {"a", "5"}};
    for (size_t i = 0; i < rows.size(); ++i) {
        list.InsertItem(static_cast<int>(i), rows[i].first, static_cast<int>(i % 2), 0);
        list.SetItemText(static_cast<int>(i), 1, rows[i].second);
    }
    const auto order = [&] {
        std::string out;
        for (int r = 0; r < list.GetItemCount(); ++r)
            out += list.GetItemText(r, 1);
        return out;
    };
    list.SortRows(0, false, true);
    EXPECT_EQ(order(), "35142");
    list.SortRows(0, false, false);
    EXPECT_EQ(order(), "21453");
    list.SortRows(0, true, true);
    EXPECT_EQ(order(), "15324") << "by image 0 then 1, keeping the order within each";
}

TEST(CReportCtrl, ObserversHearChanges) {
    CReportCtrl list = ListWith(2, 1);
    std::vector<ReportChange::Kind> heard;
    list.AddObserver([&](const ReportChange& c) { heard.push_back(c.kind); });
    list.SetItemText(0, 1, "x");
    list.SetItemText(0, 1, "x");  // unchanged: nothing to tell
    list.SetItemStates(0, kStateSelected);
    list.DeleteItem(0);
    EXPECT_EQ(heard, (std::vector<ReportChange::Kind>{ReportChange::Kind::RowChanged,
                                                      ReportChange::Kind::SelectionChanged,
                                                      ReportChange::Kind::RowRemoved}));
}

}  // namespace
}  // namespace pm
