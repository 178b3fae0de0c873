#include "controls/qt/IpAddressEdit.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

#include "base/AddressText.h"

namespace pm {
namespace {

// Up to four octets, each 0-255 without leading zeros, each possibly still blank.
const QString kOctet = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9]{2}|[1-9]?[0-9])");

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QLineEdit(parent) {
    const QRegularExpression pattern("^" + kOctet + "?(\\." + kOctet + "?){0,3}$");
    setValidator(new QRegularExpressionValidator(pattern, this));
    setMaxLength(15);
    setPlaceholderText(QStringLiteral("0.0.0.0"));
}

void IpAddressEdit::SetAddress(std::optional<uint32_t> address) {
    if (address)
        setText(QString::fromStdString(AddressToText(*address)));
    else
        clear();
}

uint32_t IpAddressEdit::Address() const {
    const QStringList parts = text().split('.');
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        uint32_t octet = 0;
        if (i < parts.size()) {
            bool ok = false;
            const uint32_t n = parts[i].toUInt(&ok);
            if (ok && n <= 255)
                octet = n;
        }
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
