#pragma once
// The about box of the Help menu.
#include <QDialog>

namespace pm {

inline constexpr const char* kAboutVersionLine = "Parvex Management Utility Version 3.5.4";
inline constexpr const char* kAboutNoticeLine =
    "Manages Parvex switches on the local network. Free software, no warranty.";

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace pm
