#pragma once
// Line edits wide enough for the longest text they accept, so nothing typed scrolls away.
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>

namespace pm {

// Room for n characters as wide as sample, plus the edit's frame and inner margins.
inline int WidthForChars(const QLineEdit& edit, int n, QChar sample = QLatin1Char('x')) {
    const QMargins margins = edit.textMargins();
    const int frame = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit);
    constexpr int kInnerMargins = 8;  // the edit's own padding and the cursor
    return edit.fontMetrics().horizontalAdvance(QString(n, sample)) + margins.left() +
           margins.right() + 2 * frame + kInnerMargins;
}

// The same for a masked field: n mask characters.
inline int WidthForMaskedChars(const QLineEdit& edit, int n) {
    const QChar mask(
        edit.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &edit));
    return WidthForChars(edit, n, mask);
}

}  // namespace pm
