#pragma once
// The button row of the forms: an accepting button and "Cancel" (which rejects the
// dialog), right-aligned, named for the tests.
#include <QString>

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace pm {

enum class EnterKey { PressesAccept, PressesNothing };

struct DialogButtons {
    QPushButton* accept = nullptr;
    QPushButton* cancel = nullptr;
    QHBoxLayout* row = nullptr;
};

DialogButtons MakeDialogButtons(QDialog* dialog, const QString& acceptText,
                                const QString& acceptName, EnterKey enter);

}  // namespace pm
