#include "config/qt/Change_Password.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ProgramContexts.h"
#include "config/ConfigurationSet.h"
#include "config/qt/FieldWidth.h"
#include "controls/qt/CMyEdit.h"
#include "controls/qt/DialogButtons.h"
#include "controls/qt/TabOrder.h"

namespace pm {
namespace {

CMyEdit* PasswordField(const char* name) {
    auto* field = new CMyEdit;
    field->setObjectName(QString::fromLatin1(name));
    field->setMaxLength(static_cast<int>(kPasswordMaxChars));
    return field;
}

}  // namespace

Change_Password::Change_Password(Program& program, QWidget* parent)
    : NoDefaultKeysDialog(parent), program_(program) {
    setWindowTitle(QStringLiteral("Password_change"));
    if (const DeviceRecord* device = SelectedRecord(program_.lists, program_.selection))
        boundMac_ = TextOf(device->mac_text);
    newPassword_ = PasswordField("newPassword");
    confirm_ = PasswordField("confirmPassword");
    original_ = PasswordField("originalPassword");

    for (CMyEdit* field : {newPassword_, confirm_, original_})
        field->setMinimumWidth(WidthForMaskedChars(*field, static_cast<int>(kPasswordMaxChars)));

    // The current password first, as password forms usually ask.
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Original password"), original_);
    form->addRow(QStringLiteral("New password"), newPassword_);
    form->addRow(QStringLiteral("Confirm password"), confirm_);

    const DialogButtons buttons = MakeDialogButtons(
        this, QStringLiteral("&Set"), QStringLiteral("set"), EnterKey::PressesNothing);
    set_ = buttons.accept;
    cancel_ = buttons.cancel;
    connect(set_, &QPushButton::clicked, this, &Change_Password::OnSet);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.row);
    SetTabOrder({original_, newPassword_, confirm_, set_, cancel_});
}

PasswordInput Change_Password::Input() const {
    return {original_->text().toStdString(), newPassword_->text().toStdString(),
            confirm_->text().toStdString()};
}

void Change_Password::OnSet() {
    const auto target = FindBoundDevice(program_.lists, boundMac_, program_.ui);
    if (!target)
        return;
    if (ClosesForm(ChangePassword(SetRequestContextOf(program_, *target), Input(), workingCopy_)))
        accept();
}

bool Change_Password::Run(Program& program, QWidget* parent) {
    if (!SelectedRecord(program.lists, program.selection))
        return false;
    Change_Password form(program, parent);
    return form.exec() == QDialog::Accepted;
}

}  // namespace pm
