#pragma once
// The form that puts a switch into the monitor list by its typed address.
#include <QDialog>

#include "app/Program.h"
#include "inventory/MonitorCommands.h"

class QPushButton;

namespace pm {

class IpAddressEdit;

class Add_remoteIP : public QDialog {
    Q_OBJECT
  public:
    // entry: the monitor-table entry the form may write.
    Add_remoteIP(Program& program, DeviceRecord& entry, QWidget* parent = nullptr);

    // Opens the form modally; true when entry was written.
    static bool Run(Program& program, DeviceRecord& entry, QWidget* parent);
    // The form as AddDeviceByAddress takes it.
    static AddDeviceForm Form(Program& program, QWidget* parent);

  private:
    void OnApply();

    Program& program_;
    DeviceRecord& entry_;
    IpAddressEdit* address_;
    QPushButton* apply_;
    QPushButton* cancel_;
};

}  // namespace pm
