// The list view over the report model: what only the GUI does (widths, colours, the status
// image, selection kept in step, the space bar, header clicks).
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "controls/CReportCtrl.h"
#include "controls/qt/CReportView.h"

namespace pm {
namespace {

class ReportViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ctrl.InsertColumn(0, "S", ColumnFormat::Centre, 20);
        ctrl.InsertColumn(1, "IP Address", ColumnFormat::Left, 95);
        ctrl.InsertColumn(2, "MAC Address", ColumnFormat::Left, 100);
        for (int r = 0; r < 4; ++r) {
            ctrl.InsertItem(r, "", -1, static_cast<uint32_t>(r));
            ctrl.SetItemText(r, 1, "10.0.0." + std::to_string(r + 1));
        }
        view = std::make_unique<CReportView>(ctrl, true);
        view->resize(400, 200);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    QModelIndex Index(int row, int column) const { return view->model()->index(row, column); }
    QPoint CellCentre(int row, int column) const {
        return view->visualRect(Index(row, column)).center();
    }

    CReportCtrl ctrl;
    std::unique_ptr<CReportView> view;
};

TEST_F(ReportViewTest, ColumnsShowCaptionsWidthsAndAlignment) {
    auto* header = view->horizontalHeader();
    ASSERT_EQ(view->model()->columnCount(), 3);
    EXPECT_EQ(header->sectionSize(0), 20);
    EXPECT_EQ(header->sectionSize(1), 95);
    EXPECT_EQ(view->model()->headerData(2, Qt::Horizontal).toString(), "MAC Address");

    // A column inserted later gets its width too, and every row gets an empty cell there.
    ctrl.InsertColumn(3, "Gateway", ColumnFormat::Left, 77);
    EXPECT_EQ(header->sectionSize(3), 77);
    EXPECT_EQ(view->model()->data(Index(2, 3)).toString(), "");
    EXPECT_EQ(view->model()->data(Index(2, 1)).toString(), "10.0.0.3");
}

TEST_F(ReportViewTest, CellColoursAndStatusImageComeFromTheModel) {
    ctrl.SetItemTextColor(1, -1, kPureRed, true);
    ctrl.SetItemBkColor(2, 1, MakeRgb(0, 0, 255), true);
    EXPECT_EQ(view->model()->data(Index(1, 2), Qt::ForegroundRole).value<QColor>(),
              QColor(255, 0, 0));
    EXPECT_EQ(view->model()->data(Index(2, 1), Qt::BackgroundRole).value<QColor>(),
              QColor(0, 0, 255));
    // The system colours are the palette's: a dark theme draws the other cells dark.
    EXPECT_FALSE(view->model()->data(Index(0, 2), Qt::ForegroundRole).isValid());
    EXPECT_FALSE(view->model()->data(Index(0, 2), Qt::BackgroundRole).isValid());
    QPalette dark = view->palette();
    dark.setColor(QPalette::Base, QColor(20, 20, 20));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    view->setPalette(dark);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->updatesEnabled(); }, 1000));
    const QRect plain = view->visualRect(Index(0, 2)).translated(view->viewport()->pos());
    EXPECT_EQ(QColor(view->grab().toImage().pixel(plain.right() - 2, plain.center().y())),
              QColor(20, 20, 20));
    // What a colour means shows as the tooltip of its cells.
    view->reportModel()->SetColorNote(kPureRed, "in its loader");
    EXPECT_EQ(view->model()->data(Index(1, 2), Qt::ToolTipRole).toString(), "in its loader");
    EXPECT_FALSE(view->model()->data(Index(0, 2), Qt::ToolTipRole).isValid());

    // Image 1, the not-alive mark: a red square crossed by white diagonals.
    ctrl.DeleteItem(0);
    ctrl.InsertItem(0, "", 1, 0);
    const QVariant decoration = view->model()->data(Index(0, 0), Qt::DecorationRole);
    ASSERT_TRUE(decoration.canConvert<QPixmap>());
    const QImage image = decoration.value<QPixmap>().toImage();
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(QColor(image.pixel(2, 8)), QColor(255, 0, 0));      // left edge, off the cross
    EXPECT_EQ(QColor(image.pixel(8, 8)), QColor(255, 255, 255));  // where the diagonals meet
    EXPECT_EQ(QColor(image.pixel(4, 4)), QColor(255, 255, 255));
    // No image for -1, and none outside the first column.
    EXPECT_FALSE(view->model()->data(Index(1, 0), Qt::DecorationRole).isValid());
    EXPECT_FALSE(view->model()->data(Index(0, 1), Qt::DecorationRole).isValid());

    // The rendered view shows the mark, once the changes have been let through to be drawn.
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->updatesEnabled(); }, 1000));
    const QImage shot = view->grab().toImage();
    const QRect cell = view->visualRect(Index(0, 0)).translated(view->viewport()->pos());
    bool sawRed = false;
    for (int x = cell.left(); x <= cell.right(); ++x)
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            if (QColor(shot.pixel(x, y)) == QColor(255, 0, 0))
                sawRed = true;
    EXPECT_TRUE(sawRed);
}

TEST_F(ReportViewTest, SelectionFollowsTheModelAndTheUserBothWays) {
    QSignalSpy userChanges(view.get(), &CReportView::itemChanged);
    ctrl.SetItemStates(2, kStateSelected);
    EXPECT_TRUE(view->selectionModel()->isRowSelected(2, {}));
    EXPECT_EQ(userChanges.count(), 0);  // the program's own changes are not the user's

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(1, 1));
    EXPECT_EQ(ctrl.SelectedRows(), std::vector<int>{1});
    EXPECT_GE(userChanges.count(), 1);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, CellCentre(3, 2));
    EXPECT_EQ(ctrl.SelectedRows(), (std::vector<int>{1, 3}));

    // Rows removed by the program take their selection with them.
    ctrl.DeleteItem(1);
    EXPECT_EQ(ctrl.SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(view->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(view->selectionModel()->isRowSelected(2, {}));
    ctrl.DeleteItems(kStateAny);
    EXPECT_EQ(view->model()->rowCount(), 0);
    EXPECT_TRUE(view->selectionModel()->selectedRows().isEmpty());
}

// Counts the paints of a widget.
class PaintCount : public QObject {
  public:
    explicit PaintCount(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(ReportViewTest, ABurstOfChangesIsDrawnTogetherAndThenInFull) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->updatesEnabled(); }, 1000));
    PaintCount count(view->viewport());
    // One change per turn of the loop, as replies arrive: unpaced, each turn would draw.
    for (int i = 0; i < 200; ++i) {
        ctrl.SetItemText(i % 4, 2, std::to_string(i));
        if (i % 2)
            ctrl.DeleteItem(3);
        else
            ctrl.InsertItem(3, "", -1, 3);
        QCoreApplication::processEvents();
    }
    EXPECT_LE(count.paints, 20);
    const int before = count.paints;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return view->updatesEnabled() && count.paints > before; }, 1000));
    EXPECT_EQ(view->model()->data(Index(2, 2)).toString(), "198");
}

TEST_F(ReportViewTest, SpaceBarChangesNothing) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(1, 1));
    view->setFocus();
    view->selectionModel()->setCurrentIndex(Index(3, 1), QItemSelectionModel::NoUpdate);
    QTest::keyClick(view.get(), Qt::Key_Space);
    QTest::keyClick(view.get(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(ctrl.SelectedRows(), std::vector<int>{1});
}

TEST_F(ReportViewTest, HeaderClicksAndDoubleClicksAreReported) {
    QSignalSpy columns(view.get(), &CReportView::columnClicked);
    QSignalSpy doubles(view.get(), &CReportView::rowDoubleClicked);
    auto* header = view->horizontalHeader();
    const QPoint onMac(header->sectionViewportPosition(2) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, onMac);
    ASSERT_EQ(columns.count(), 1);
    EXPECT_EQ(columns.at(0).at(0).toInt(), 2);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(2, 1));

    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(2, 1));
    ASSERT_EQ(doubles.count(), 1);
    EXPECT_EQ(doubles.at(0).at(0).toInt(), 2);
}

TEST_F(ReportViewTest, SortedRowsAreShownInTheirNewOrder) {
    ctrl.SetItemStates(0, kStateSelected);  // 10.0.0.1
    ctrl.SortRows(1, false, false);
    EXPECT_EQ(view->model()->data(Index(0, 1)).toString(), "10.0.0.4");
    EXPECT_TRUE(view->selectionModel()->isRowSelected(3, {}));
    EXPECT_FALSE(view->selectionModel()->isRowSelected(0, {}));
}

}  // namespace
}  // namespace pm
