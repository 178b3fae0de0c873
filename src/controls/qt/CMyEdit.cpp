#include "controls/qt/CMyEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace pm {

CMyEdit::CMyEdit(QWidget* parent) : QLineEdit(parent) {
    setEchoMode(QLineEdit::Password);
    setDragEnabled(false);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void CMyEdit::keyPressEvent(QKeyEvent* event) {
    const bool ctrlV = event->key() == Qt::Key_V && (event->modifiers() & Qt::ControlModifier);
    const bool shiftInsert =
        event->key() == Qt::Key_Insert && (event->modifiers() & Qt::ShiftModifier);
    if (ctrlV || shiftInsert || event->matches(QKeySequence::Paste)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CMyEdit::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

void CMyEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void CMyEdit::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

// The middle button pastes the primary selection on X11: it never reaches the edit.
void CMyEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void CMyEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

}  // namespace pm
