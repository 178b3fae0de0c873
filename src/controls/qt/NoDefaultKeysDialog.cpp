#include "controls/qt/NoDefaultKeysDialog.h"

#include <QKeyEvent>

namespace pm {

NoDefaultKeysDialog::NoDefaultKeysDialog(QWidget* parent) : QDialog(parent) {}

void NoDefaultKeysDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

}  // namespace pm
