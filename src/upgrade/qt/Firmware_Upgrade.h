#pragma once
// The firmware form: a window of its own beside the main window (not modal), so the main
// window stays usable during an upgrade. It gathers the path and password and shows what the
// upgrade session reports; the session holds every rule.
#include <QDialog>
#include <memory>

#include "upgrade/UpgradeContext.h"
#include "upgrade/UpgradeSession.h"

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace pm {

class CMyEdit;

class Firmware_Upgrade : public QDialog {
    Q_OBJECT
  public:
    explicit Firmware_Upgrade(const UpgradeContext& context, QWidget* parent = nullptr);
    ~Firmware_Upgrade() override;

    UpgradeSession& Session() { return *session_; }

  public slots:
    void reject() override;

  private:
    void ShowProgress(uint32_t sent, uint32_t total);
    void OnBrowse();
    void OnStart();

    std::unique_ptr<UpgradeSession> session_;
    QLineEdit* deviceIp_ = nullptr;
    QLineEdit* deviceMac_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPushButton* browse_ = nullptr;
    CMyEdit* password_ = nullptr;
    QLineEdit* state_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// "Upgrade firmware" for the main window's current selection: runs the upgrade command and,
// when its checks pass, opens the form (deleted when it closes). 0 or -1 as the command.
int RunFirmwareUpgrade(const UpgradeContext& context, QWidget* mainWindow);

}  // namespace pm
