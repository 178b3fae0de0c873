#pragma once
// The form of the utility's own group report interval.
#include <QDialog>

#include "app/Program.h"

class QLineEdit;
class QPushButton;

namespace pm {

class GroupTimer : public QDialog {
    Q_OBJECT
  public:
    explicit GroupTimer(Program& program, QWidget* parent = nullptr);

    // Opens the form modally; true when a new interval was applied.
    static bool Run(Program& program, QWidget* parent);

  private:
    void OnOk();

    Program& program_;
    QLineEdit* interval_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace pm
