#include "controls/qt/CReportView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "controls/qt/DrawnImages.h"

namespace pm {
namespace {

QColor ToQColor(Rgb rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

Qt::Alignment ToAlignment(ColumnFormat format) {
    switch (format) {
        case ColumnFormat::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case ColumnFormat::Centre:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case ColumnFormat::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ReportModel::ReportModel(CReportCtrl& ctrl, bool withImages, QObject* parent)
    : QAbstractTableModel(parent), ctrl_(ctrl), withImages_(withImages) {
    rows_ = ctrl_.GetItemCount(kStateAny);
    columns_ = ctrl_.GetColumnCount();
    ctrl_.AddObserver([this](const ReportChange& change) { OnChange(change); });
}

int ReportModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ReportModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant ReportModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    const int column = index.column();
    if (!index.isValid() || row >= ctrl_.GetItemCount(kStateAny) ||
        column >= ctrl_.GetColumnCount())
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(ctrl_.GetItemText(row, column));
        // The system colours stand for the palette's, so that a dark theme stays dark; only
        // a colour the caller chose is drawn as such.
        case Qt::ForegroundRole: {
            const Rgb color = ctrl_.GetItemTextColor(row, column);
            return color == kWindowTextColor ? QVariant() : QVariant(ToQColor(color));
        }
        case Qt::BackgroundRole: {
            const Rgb color = ctrl_.GetItemBkColor(row, column);
            return color == kWindowColor ? QVariant() : QVariant(ToQColor(color));
        }
        case Qt::ToolTipRole: {
            const auto note = colorNotes_.find(ctrl_.GetItemTextColor(row, column));
            return note == colorNotes_.end() ? QVariant() : QVariant(note->second);
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(
                ToAlignment(ctrl_.Columns()[static_cast<size_t>(column)].format));
        case Qt::DecorationRole:
            if (withImages_ && column == 0) {
                const QPixmap image = StatusImage(ctrl_.GetItemImage(row));
                if (!image.isNull())
                    return image;
            }
            return {};
        default:
            return {};
    }
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ctrl_.GetColumnCount())
        return {};
    const ReportColumn& column = ctrl_.Columns()[static_cast<size_t>(section)];
    if (role == Qt::DisplayRole)
        return QString::fromStdString(column.caption);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ToAlignment(column.format));
    return {};
}

void ReportModel::SetColorNote(Rgb textColor, const QString& note) {
    colorNotes_[textColor] = note;
}

void ReportModel::OnChange(const ReportChange& change) {
    using Kind = ReportChange::Kind;
    const bool structural =
        change.kind != Kind::RowChanged && change.kind != Kind::SelectionChanged;
    if (structural)
        emit structureAboutToChange();
    Apply(change);
    if (structural)
        emit structureChanged();
}

void ReportModel::Apply(const ReportChange& change) {
    using Kind = ReportChange::Kind;
    switch (change.kind) {
        case Kind::ColumnInserted:
            beginInsertColumns({}, change.row, change.row);
            columns_ = ctrl_.GetColumnCount();
            endInsertColumns();
            emit columnInserted(change.row);
            return;
        case Kind::RowInserted:
            beginInsertRows({}, change.row, change.row);
            rows_ = ctrl_.GetItemCount(kStateAny);
            endInsertRows();
            return;
        case Kind::RowRemoved:
            beginRemoveRows({}, change.row, change.row);
            rows_ = ctrl_.GetItemCount(kStateAny);
            endRemoveRows();
            return;
        case Kind::Reset:
            beginResetModel();
            rows_ = ctrl_.GetItemCount(kStateAny);
            columns_ = ctrl_.GetColumnCount();
            endResetModel();
            emit reset();
            return;
        case Kind::RowsReordered:
            emit layoutAboutToBeChanged();
            emit layoutChanged();
            return;
        case Kind::RowChanged:
            if (rows_ == 0 || columns_ == 0)
                return;
            if (change.row >= 0 && change.row < rows_)
                emit dataChanged(index(change.row, 0), index(change.row, columns_ - 1));
            else
                emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
            return;
        case Kind::SelectionChanged:
            emit selectionChangedInModel();
            return;
    }
}

CReportView::CReportView(CReportCtrl& ctrl, bool withImages, QWidget* parent)
    : QTableView(parent),
      model_(new ReportModel(ctrl, withImages, this)),
      release_(new QTimer(this)) {
    clock_.start();
    release_->setSingleShot(true);
    release_->setTimerType(Qt::PreciseTimer);
    connect(release_, &QTimer::timeout, this, [this] {
        pacer_.Release();
        setUpdatesEnabled(true);  // draws everything held back
    });
    // Before the view's own connections, so that a held change requests no paint either.
    connect(model_, &QAbstractItemModel::dataChanged, this, &CReportView::PaceRepaint);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &CReportView::PaceRepaint);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &CReportView::PaceRepaint);
    connect(model_, &QAbstractItemModel::modelReset, this, &CReportView::PaceRepaint);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &CReportView::PaceRepaint);
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(true);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the next control; the arrow keys move between rows.
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setIconSize(QSize(16, 16));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < model_->columnCount(); ++c)
        ApplyColumnWidth(c);

    connect(model_, &ReportModel::columnInserted, this, &CReportView::ApplyColumnWidth);
    connect(model_, &ReportModel::reset, this, [this] {
        for (int c = 0; c < model_->columnCount(); ++c)
            ApplyColumnWidth(c);
    });
    connect(model_, &ReportModel::structureAboutToChange, this, [this] { ++changing_; });
    connect(model_, &ReportModel::structureChanged, this, [this] {
        --changing_;
        PullSelectionFromModel();
    });
    connect(model_, &ReportModel::selectionChangedInModel, this,
            &CReportView::PullSelectionFromModel);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (syncing_ || changing_ > 0)
            return;
        PushSelectionToModel();
        emit itemChanged();
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (syncing_ || changing_ > 0 || !current.isValid())
                    return;
                model_->Ctrl().SetItemStates(current.row(), kStateFocused);
            });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowDoubleClicked(index.row()); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CReportView::columnClicked);
}

void CReportView::PaceRepaint() {
    const uint64_t now = static_cast<uint64_t>(clock_.elapsed());
    if (!pacer_.Hold(now))
        return;
    setUpdatesEnabled(false);
    release_->start(static_cast<int>(pacer_.DueMs() - now));
}

bool CReportView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Paint)
        pacer_.Painted(static_cast<uint64_t>(clock_.elapsed()));
    return QTableView::viewportEvent(event);
}

void CReportView::ApplyColumnWidth(int column) {
    const auto& columns = model_->Ctrl().Columns();
    if (column < 0 || column >= static_cast<int>(columns.size()))
        return;
    horizontalHeader()->resizeSection(column, columns[static_cast<size_t>(column)].width);
}

void CReportView::PullSelectionFromModel() {
    if (syncing_ || changing_ > 0)
        return;
    syncing_ = true;
    const CReportCtrl& ctrl = model_->Ctrl();
    QItemSelection selection;
    const int columns = model_->columnCount();
    for (int row = 0; row < model_->rowCount() && columns > 0; ++row) {
        if (ctrl.RowMatches(row, kStateSelected))
            selection.select(model_->index(row, 0), model_->index(row, columns - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
}

void CReportView::PushSelectionToModel() {
    syncing_ = true;
    CReportCtrl& ctrl = model_->Ctrl();
    for (int row = 0; row < ctrl.GetItemCount(kStateAny); ++row) {
        const bool selected = selectionModel()->isRowSelected(row, {});
        if (selected != ctrl.RowMatches(row, kStateSelected))
            ctrl.SetItemStates(row, selected ? kStateSelected : kStateUnselected);
    }
    syncing_ = false;
}

void CReportView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        event->accept();  // the space bar neither selects nor toggles anything
        return;
    }
    QTableView::keyPressEvent(event);
}

void CReportView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit listClicked();
}

}  // namespace pm
