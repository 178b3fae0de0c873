#include "controls/qt/IpAddressEdit.h"

#include <QAction>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QStyle>

#include "base/AddressText.h"

namespace pm {
namespace {

// Up to four octets of at most three digits without leading zeros, each possibly still
// blank. Values over 255 can be typed, so that a digit is never dropped: the field shows
// them as invalid instead.
const QString kOctet = QStringLiteral("(0|[1-9][0-9]{0,2})");

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QLineEdit(parent) {
    const QRegularExpression pattern("^" + kOctet + "?(\\." + kOctet + "?){0,3}$");
    setValidator(new QRegularExpressionValidator(pattern, this));
    setMaxLength(15);
    setPlaceholderText(QStringLiteral("0.0.0.0"));
    invalidMark_ =
        addAction(style()->standardIcon(QStyle::SP_MessageBoxWarning), QLineEdit::TrailingPosition);
    invalidMark_->setToolTip(QStringLiteral("Each number of an address is 0 to 255"));
    invalidMark_->setVisible(false);
    connect(this, &QLineEdit::textChanged, this, &IpAddressEdit::ShowValidity);
}

void IpAddressEdit::SetAddress(std::optional<uint32_t> address) {
    if (address)
        setText(QString::fromStdString(AddressToText(*address)));
    else
        clear();
}

bool IpAddressEdit::IsValid() const {
    for (const QString& part : text().split('.')) {
        if (!part.isEmpty() && part.toUInt() > 255)
            return false;
    }
    return true;
}

uint32_t IpAddressEdit::Address() const {
    if (!IsValid())
        return 0;
    const QStringList parts = text().split('.');
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const uint32_t octet = i < parts.size() ? parts[i].toUInt() : 0;
        value = value << 8 | octet;
    }
    return value;
}

bool IpAddressEdit::IsBlank() const {
    for (QChar c : text())
        if (c.isDigit())
            return false;
    return true;
}

void IpAddressEdit::ShowValidity() {
    const bool valid = IsValid();
    invalidMark_->setVisible(!valid);
    setToolTip(valid ? QString() : invalidMark_->toolTip());
}

void IpAddressEdit::keyPressEvent(QKeyEvent* event) {
    // A digit typed after a full octet at the end moves on to the next octet, as address
    // fields usually do.
    const QString typed = event->text();
    if (typed.size() == 1 && typed[0].isDigit() && cursorPosition() == text().size() &&
        !hasSelectedText()) {
        const QString current = text();
        const qsizetype lastDot = current.lastIndexOf('.');
        const qsizetype octetLength = current.size() - (lastDot + 1);
        if (current.count('.') < 3 && octetLength == 3)
            insert(QStringLiteral("."));
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace pm
