#include "config/qt/GroupTimer.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ProgramContexts.h"
#include "config/ConfigurationSet.h"
#include "config/GroupInterval.h"
#include "controls/qt/DialogButtons.h"

namespace pm {

GroupTimer::GroupTimer(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
    setWindowTitle(QStringLiteral("Group Interval"));
    auto* hint = new QLabel(QString::fromStdString(std::string(kGroupIntervalHint)));
    hint->setObjectName(QStringLiteral("hint"));
    // The hint lines up its two colons with blanks, which only a fixed-pitch font keeps.
    hint->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    interval_ = new QLineEdit(QString::fromStdString(GroupIntervalFormText(program_.settings)));
    interval_->setObjectName(QStringLiteral("groupInterval"));
    interval_->setMaxLength(static_cast<int>(kGroupIntervalMaxChars));

    const DialogButtons buttons = MakeDialogButtons(this, QStringLiteral("&OK"),
                                                    QStringLiteral("ok"), EnterKey::PressesAccept);
    ok_ = buttons.accept;
    cancel_ = buttons.cancel;
    connect(ok_, &QPushButton::clicked, this, &GroupTimer::OnOk);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Group Interval")));
    row->addWidget(interval_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(row);
    layout->addLayout(buttons.row);
}

void GroupTimer::OnOk() {
    if (ApplyGroupInterval(GroupIntervalContextOf(program_), interval_->text().toStdString()))
        accept();
}

bool GroupTimer::Run(Program& program, QWidget* parent) {
    GroupTimer form(program, parent);
    return form.exec() == QDialog::Accepted;
}

}  // namespace pm
