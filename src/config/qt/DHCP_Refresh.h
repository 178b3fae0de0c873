#pragma once
// The DHCP refresh form of the selected switch: asks for its password only.
#include <QDialog>

#include "app/Program.h"

class QPushButton;

namespace pm {

class CMyEdit;

class DHCP_Refresh : public QDialog {
    Q_OBJECT
  public:
    explicit DHCP_Refresh(Program& program, QWidget* parent = nullptr);

    // Opens the form modally for the selected device; true when a request was sent.
    static bool Run(Program& program, QWidget* parent);

  private:
    void OnApply();

    Program& program_;
    std::string boundMac_;      // the switch the form was opened for
    DeviceRecord workingCopy_;  // what Apply sends
    CMyEdit* password_;
    QPushButton* apply_;
    QPushButton* cancel_;
};

}  // namespace pm
