#include "controls/qt/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/qt/DrawnImages.h"

namespace pm {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    setObjectName("about");
    // The text lines take the palette's colours, as the rest of the window does, so a dark
    // theme keeps them dark.

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* version = new QLabel(kAboutVersionLine, this);
    version->setObjectName("ctl_1115");
    auto* notice = new QLabel(kAboutNoticeLine, this);
    notice->setObjectName("ctl_1117");

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("ctl_1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(notice);
    texts->addStretch();
    auto* row = new QHBoxLayout(this);
    row->addWidget(icon);
    row->addSpacing(12);
    row->addLayout(texts, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    resize(465, 112);
}

}  // namespace pm
