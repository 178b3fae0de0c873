#pragma once
// The password form of the selected switch.
#include "app/Program.h"
#include "config/PasswordChange.h"
#include "controls/qt/NoDefaultKeysDialog.h"

class QPushButton;

namespace pm {

class CMyEdit;

class Change_Password : public NoDefaultKeysDialog {
    Q_OBJECT
  public:
    explicit Change_Password(Program& program, QWidget* parent = nullptr);

    // Opens the form modally for the selected device; true when a request was sent. The
    // caller refuses a device in its loader before (kLoaderNoPassword).
    static bool Run(Program& program, QWidget* parent);

    PasswordInput Input() const;

  private:
    void OnSet();

    Program& program_;
    std::string boundMac_;      // the switch the form was opened for
    DeviceRecord workingCopy_;  // what Set sends
    CMyEdit* newPassword_;
    CMyEdit* confirm_;
    CMyEdit* original_;
    QPushButton* set_;
    QPushButton* cancel_;
};

}  // namespace pm
