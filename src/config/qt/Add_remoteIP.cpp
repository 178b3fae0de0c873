#include "config/qt/Add_remoteIP.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/AddByAddress.h"
#include "config/SetRequest.h"
#include "controls/qt/DialogButtons.h"
#include "controls/qt/IpAddressEdit.h"

namespace pm {

Add_remoteIP::Add_remoteIP(Program& program, DeviceRecord& entry, QWidget* parent)
    : QDialog(parent), program_(program), entry_(entry) {
    setWindowTitle(QStringLiteral("Remote IP"));
    address_ = new IpAddressEdit;
    address_->setObjectName(QStringLiteral("ip"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("IP Address"), address_);

    const DialogButtons buttons = MakeDialogButtons(
        this, QStringLiteral("&Apply"), QStringLiteral("apply"), EnterKey::PressesAccept);
    apply_ = buttons.accept;
    cancel_ = buttons.cancel;
    connect(apply_, &QPushButton::clicked, this, &Add_remoteIP::OnApply);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.row);
}

void Add_remoteIP::OnApply() {
    // An octet over 255 is refused as any address that can't be a host is.
    if (!address_->IsValid()) {
        program_.ui.Notice(kInvalidIpAddress, kSpacedErrorCaption, Icon::Error, Owner::Form);
        return;
    }
    if (ApplyAddByAddress(program_.ui, address_->Address(), entry_))
        accept();
}

bool Add_remoteIP::Run(Program& program, DeviceRecord& entry, QWidget* parent) {
    Add_remoteIP form(program, entry, parent);
    return form.exec() == QDialog::Accepted;
}

AddDeviceForm Add_remoteIP::Form(Program& program, QWidget* parent) {
    QPointer<QWidget> owner(parent);
    return [&program, owner](DeviceRecord& entry) { return Run(program, entry, owner.data()); };
}

}  // namespace pm
