#include "config/qt/DHCP_Refresh.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ProgramContexts.h"
#include "config/ConfigurationSet.h"
#include "config/DhcpRefresh.h"
#include "config/qt/FieldWidth.h"
#include "controls/qt/CMyEdit.h"
#include "controls/qt/DialogButtons.h"

namespace pm {

DHCP_Refresh::DHCP_Refresh(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
    setWindowTitle(QStringLiteral("DHCP Refresh"));
    if (const DeviceRecord* device = SelectedRecord(program_.lists, program_.selection))
        boundMac_ = TextOf(device->mac_text);
    password_ = new CMyEdit;
    password_->setObjectName(QStringLiteral("password"));
    password_->setMaxLength(static_cast<int>(kPasswordMaxChars));

    password_->setMinimumWidth(
        WidthForMaskedChars(*password_, static_cast<int>(kPasswordMaxChars)));

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Password"), password_);

    const DialogButtons buttons = MakeDialogButtons(
        this, QStringLiteral("&Apply"), QStringLiteral("apply"), EnterKey::PressesAccept);
    apply_ = buttons.accept;
    cancel_ = buttons.cancel;
    connect(apply_, &QPushButton::clicked, this, &DHCP_Refresh::OnApply);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.row);
}

void DHCP_Refresh::OnApply() {
    const auto target = FindBoundDevice(program_.lists, boundMac_, program_.ui);
    if (!target)
        return;
    RefreshDhcp(SetRequestContextOf(program_, *target), password_->text().toStdString(),
                workingCopy_);
    accept();
}

bool DHCP_Refresh::Run(Program& program, QWidget* parent) {
    if (!SelectedRecord(program.lists, program.selection))
        return false;
    DHCP_Refresh form(program, parent);
    return form.exec() == QDialog::Accepted;
}

}  // namespace pm
