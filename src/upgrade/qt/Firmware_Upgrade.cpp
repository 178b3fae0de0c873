#include "upgrade/qt/Firmware_Upgrade.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/qt/CMyEdit.h"
#include "upgrade/UpgradeCommand.h"

namespace pm {
namespace {

QLineEdit* ReadOnlyEdit(const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(true);
    return edit;
}

}  // namespace

Firmware_Upgrade::Firmware_Upgrade(const UpgradeContext& context, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Firmware Upgrade");
    setModal(false);

    session_ = std::make_unique<UpgradeSession>(
        context, UpgradeView{[this](const std::string& text) {
                                 state_->setText(QString::fromStdString(text));
                             },
                             // Closed after the session's handler has returned.
                             [this] { QTimer::singleShot(0, this, [this] { reject(); }); },
                             [this](bool busy) {
                                 start_->setEnabled(!busy);
                                 browse_->setEnabled(!busy);
                                 if (busy)
                                     progress_->setValue(0);  // a new upgrade begins
                             },
                             [this](uint32_t sent, uint32_t total) { ShowProgress(sent, total); }});

    deviceIp_ = ReadOnlyEdit("deviceIp");
    deviceMac_ = ReadOnlyEdit("deviceMac");
    state_ = ReadOnlyEdit("upgradeState");
    path_ = new QLineEdit;
    path_->setObjectName("firmwarePath");
    browse_ = new QPushButton("&Browse");
    browse_->setObjectName("browse");
    browse_->setAutoDefault(false);
    password_ = new CMyEdit;
    password_->setObjectName("password");
    password_->setMaxLength(20);
    start_ = new QPushButton("&Start");
    start_->setObjectName("start");
    start_->setDefault(true);
    cancel_ = new QPushButton("&Cancel");
    cancel_->setObjectName("cancel");
    cancel_->setAutoDefault(false);

    auto* device = new QGroupBox("Device Information");
    auto* deviceForm = new QFormLayout(device);
    deviceForm->addRow("      Device IP", deviceIp_);
    deviceForm->addRow("     Device Mac", deviceMac_);

    auto* setting = new QGroupBox("Upgrade Setting");
    auto* settingForm = new QFormLayout(setting);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(browse_);
    settingForm->addRow("      Firmware Path", pathRow);
    settingForm->addRow("      Password", password_);

    progress_ = new QProgressBar;
    progress_->setObjectName("upgradeProgress");
    progress_->setRange(0, 100);
    progress_->setValue(0);

    auto* stateForm = new QFormLayout;
    stateForm->addRow("      Upgrade State", state_);
    stateForm->addRow(QString(), progress_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(device);
    layout->addWidget(setting);
    layout->addLayout(stateForm);
    layout->addLayout(buttons);
    resize(420, 300);

    deviceIp_->setText(QString::fromStdString(session_->DeviceIpText()));
    deviceMac_->setText(QString::fromStdString(session_->DeviceMacText()));
    path_->setText(QString::fromStdString(session_->FirmwarePath()));
    password_->setEnabled(!session_->Loader());
    session_->Open();

    connect(browse_, &QPushButton::clicked, this, &Firmware_Upgrade::OnBrowse);
    connect(start_, &QPushButton::clicked, this, &Firmware_Upgrade::OnStart);
    connect(cancel_, &QPushButton::clicked, this, &Firmware_Upgrade::reject);
}

Firmware_Upgrade::~Firmware_Upgrade() = default;

void Firmware_Upgrade::ShowProgress(uint32_t sent, uint32_t total) {
    // Per cent, so that images larger than the bar's int range show too.
    progress_->setValue(static_cast<int>(uint64_t{sent} * 100 / total));
}

void Firmware_Upgrade::OnBrowse() {
    path_->setText(QString::fromStdString(session_->Browse()));
}

void Firmware_Upgrade::OnStart() {
    session_->Start(path_->text().toStdString(), password_->text().toStdString());
}

void Firmware_Upgrade::reject() {
    session_->OnFormClosing();
    QDialog::reject();
}

int RunFirmwareUpgrade(const UpgradeContext& context, QWidget* mainWindow) {
    return UpgradeCommand(context, [&context, mainWindow] {
        auto* form = new Firmware_Upgrade(context, mainWindow);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    });
}

}  // namespace pm
