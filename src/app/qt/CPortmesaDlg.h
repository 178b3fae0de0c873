#pragma once
// The main window.
#include <QDialog>

#include "app/Program.h"

namespace pm {

class CPortmesaDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPortmesaDlg(Program& program, QWidget* parent = nullptr);
    // The start-up sequence; call once before showing the window.
    void Start();

private:
    Program& program_;
};

}  // namespace pm
