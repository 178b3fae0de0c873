#pragma once
// The view of a report list: a QTableView over a table model that reads a CReportCtrl. The
// model shows each cell's text and the colours a caller chose (the system colours are the
// palette's), the status image in the first column, the column captions and widths; the view
// keeps its selection and the model's row states in step both ways, draws grid lines, selects
// whole rows (several at a time) and swallows the space bar. Changes that come faster than a
// frame are drawn together (RepaintPacer).
#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QTableView>
#include <map>

#include "controls/CReportCtrl.h"
#include "controls/RepaintPacer.h"

class QTimer;

namespace pm {

class ReportModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // withImages: the first column shows the row's image (the monitor list's status).
    ReportModel(CReportCtrl& ctrl, bool withImages, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    CReportCtrl& Ctrl() { return ctrl_; }
    // The tooltip of every cell whose text has this colour: what the colour means.
    void SetColorNote(Rgb textColor, const QString& note);

  signals:
    // Around every change of rows or columns, so that the view ignores the selection
    // updates that the change itself causes.
    void structureAboutToChange();
    void structureChanged();
    void columnInserted(int column);
    void reset();
    void selectionChangedInModel();

  private:
    void OnChange(const ReportChange& change);
    void Apply(const ReportChange& change);
    CReportCtrl& ctrl_;
    bool withImages_;
    std::map<Rgb, QString> colorNotes_;
    int rows_ = 0;  // what the view has been told, between begin/end notifications
    int columns_ = 0;
};

class CReportView : public QTableView {
    Q_OBJECT
  public:
    CReportView(CReportCtrl& ctrl, bool withImages, QWidget* parent = nullptr);
    ReportModel* reportModel() const { return model_; }

  signals:
    // The user changed the selection (not the program).
    void itemChanged();
    // A mouse click anywhere in the list, after the selection has followed it.
    void listClicked();
    void rowDoubleClicked(int row);
    void columnClicked(int column);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    void PullSelectionFromModel();
    void PushSelectionToModel();
    void ApplyColumnWidth(int column);
    // Any change of the model's rows: held back while the last paint is less than a frame old.
    void PaceRepaint();
    ReportModel* model_;
    RepaintPacer pacer_;
    QElapsedTimer clock_;
    QTimer* release_;
    bool syncing_ = false;
    int changing_ = 0;  // inside a change of the model's rows or columns
};

}  // namespace pm
