#pragma once
// Puts widgets into the keyboard focus chain in the order given.
#include <QWidget>
#include <initializer_list>

namespace pm {

inline void SetTabOrder(std::initializer_list<QWidget*> chain) {
    QWidget* previous = nullptr;
    for (QWidget* next : chain) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    }
}

}  // namespace pm
