#include "controls/qt/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace pm {

DialogButtons MakeDialogButtons(QDialog* dialog, const QString& acceptText,
                                const QString& acceptName, EnterKey enter) {
    DialogButtons b;
    b.accept = new QPushButton(acceptText);
    b.accept->setObjectName(acceptName);
    b.cancel = new QPushButton(QStringLiteral("&Cancel"));
    b.cancel->setObjectName(QStringLiteral("cancel"));
    if (enter == EnterKey::PressesAccept) {
        b.accept->setDefault(true);
    } else {
        // Not even a focused button acts on Enter.
        for (QPushButton* button : {b.accept, b.cancel}) {
            button->setAutoDefault(false);
            button->setDefault(false);
        }
    }
    QObject::connect(b.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    b.row = new QHBoxLayout;
    b.row->addStretch();
    b.row->addWidget(b.accept);
    b.row->addWidget(b.cancel);
    return b;
}

}  // namespace pm
