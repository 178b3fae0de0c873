#include "config/qt/GroupTimer.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/ConfigurationSet.h"
#include "config/GroupInterval.h"

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

    ok_ = new QPushButton(QStringLiteral("OK"));
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    connect(ok_, &QPushButton::clicked, this, &GroupTimer::OnOk);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Group Interval")));
    row->addWidget(interval_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(row);
    layout->addLayout(buttons);
}

void GroupTimer::OnOk() {
    if (ApplyGroupInterval(program_, interval_->text().toStdString()))
        accept();
}

bool GroupTimer::Run(Program& program, QWidget* parent) {
    GroupTimer form(program, parent);
    return form.exec() == QDialog::Accepted;
}

}  // namespace pm
