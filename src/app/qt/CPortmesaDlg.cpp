#include "app/qt/CPortmesaDlg.h"

#include "storage/SettingsFile.h"

namespace pm {

CPortmesaDlg::CPortmesaDlg(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
    resize(702, 570);
}

void CPortmesaDlg::Start() {
    setWindowTitle("Parvex Management Utility");
    if (LoadSettings(program_) != 0) program_.ui.Notice(kAppWillFail, "Error", Icon::Error);
}

}  // namespace pm
