#pragma once
// A dialog on which neither Enter nor Escape presses a button or closes it: the main window,
// and the forms that send a set request to a switch, are left only through their own
// buttons, so a stray key press never sends nor throws away what was typed.
#include <QDialog>

namespace pm {

class NoDefaultKeysDialog : public QDialog {
    Q_OBJECT
  public:
    explicit NoDefaultKeysDialog(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace pm
