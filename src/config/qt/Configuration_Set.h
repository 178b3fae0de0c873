#pragma once
// The configuration form of the selected switch.
#include "app/Program.h"
#include "config/ConfigurationSet.h"
#include "controls/qt/NoDefaultKeysDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pm {

class CMyEdit;
class IpAddressEdit;

class Configuration_Set : public NoDefaultKeysDialog {
    Q_OBJECT
  public:
    // The selection context of the program names the device.
    explicit Configuration_Set(Program& program, QWidget* parent = nullptr);

    // Opens the form modally for the selected device; true when a request was sent.
    static bool Run(Program& program, QWidget* parent);

    ConfigurationInput Input() const;

  private:
    void Fill(const ConfigurationFormView& view);
    void OnModeChosen(IpModeChoice choice);
    bool AddressFieldsValid();
    void OnSet();

    Program& program_;
    std::string boundMac_;      // the switch the form was opened for
    DeviceRecord workingCopy_;  // what Set sends
    QLineEdit* productName_;
    QLineEdit* mac_;
    IpAddressEdit* ip_;
    IpAddressEdit* mask_;
    IpAddressEdit* gateway_;
    QLineEdit* systemName_;
    QLineEdit* location_;
    QLabel* groupIntervalLabel_;
    QLineEdit* groupInterval_;
    CMyEdit* password_;
    QRadioButton* static_;
    QRadioButton* dhcp_;
    QRadioButton* bootp_;
    QPushButton* set_;
    QPushButton* cancel_;
};

}  // namespace pm
