#pragma once
// Layout checks of a shown window, for the GUI tests: every widget its layouts place lies
// inside its parent, overlaps none of its laid-out siblings, and is no smaller than it needs
// to be shown whole: buttons and labels at least their size hint (so no text is cut), other
// widgets at least their minimum size hint.
#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QWidget>
#include <string>
#include <vector>

namespace pm::test {

inline bool LayoutHolds(const QLayout* layout, const QWidget* widget) {
    if (!layout)
        return false;
    if (layout->menuBar() == widget)
        return true;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget || LayoutHolds(item->layout(), widget))
            return true;
    }
    return false;
}

inline std::string Describe(const QWidget* w) {
    QString text;
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        text = button->text();
    else if (const auto* label = qobject_cast<const QLabel*>(w))
        text = label->text();
    return std::string(w->metaObject()->className()) + " " + w->objectName().toStdString() + " \"" +
           text.toStdString() + "\"";
}

inline std::string Size(QSize s) {
    return std::to_string(s.width()) + "x" + std::to_string(s.height());
}

// One line per fault; empty when the layout holds.
inline std::vector<std::string> LayoutFaults(const QWidget& top) {
    std::vector<const QWidget*> placed;
    for (const QWidget* w : top.findChildren<QWidget*>()) {
        if (!w->isWindow() && w->isVisibleTo(&top) && LayoutHolds(w->parentWidget()->layout(), w))
            placed.push_back(w);
    }
    std::vector<std::string> faults;
    for (const QWidget* w : placed) {
        const bool showsText =
            (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w)) &&
            !qobject_cast<const QMenuBar*>(w);
        const QSize needed =
            showsText ? w->sizeHint() : w->minimumSizeHint().expandedTo(w->minimumSize());
        if (!qobject_cast<const QMenuBar*>(w) &&
            (w->width() < needed.width() || w->height() < needed.height()))
            faults.push_back(Describe(w) + " is " + Size(w->size()) + ", needs " + Size(needed));
        if (!w->parentWidget()->rect().contains(w->geometry()))
            faults.push_back(Describe(w) + " reaches out of its parent");
        for (const QWidget* other : placed) {
            if (other < w && other->parentWidget() == w->parentWidget() &&
                other->geometry().intersects(w->geometry()))
                faults.push_back(Describe(w) + " overlaps " + Describe(other));
        }
    }
    return faults;
}

}  // namespace pm::test
