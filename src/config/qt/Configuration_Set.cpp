#include "config/qt/Configuration_Set.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ProgramContexts.h"
#include "config/qt/FieldWidth.h"
#include "controls/qt/CMyEdit.h"
#include "controls/qt/DialogButtons.h"
#include "controls/qt/IpAddressEdit.h"

namespace pm {
namespace {

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

Configuration_Set::Configuration_Set(Program& program, QWidget* parent)
    : NoDefaultKeysDialog(parent), program_(program) {
    setWindowTitle(QStringLiteral("Configuration setting"));

    productName_ = Named(new QLineEdit, "productName");
    productName_->setReadOnly(true);
    mac_ = Named(new QLineEdit, "mac");
    mac_->setReadOnly(true);
    ip_ = Named(new IpAddressEdit, "ip");
    mask_ = Named(new IpAddressEdit, "mask");
    gateway_ = Named(new IpAddressEdit, "gateway");
    systemName_ = Named(new QLineEdit, "systemName");
    systemName_->setMaxLength(static_cast<int>(kSystemNameMax));
    location_ = Named(new QLineEdit, "location");
    location_->setMaxLength(static_cast<int>(kLocationMax));
    groupIntervalLabel_ = Named(new QLabel(QStringLiteral("Group Interval")), "groupIntervalLabel");
    groupInterval_ = Named(new QLineEdit, "groupInterval");
    groupInterval_->setMaxLength(static_cast<int>(kGroupIntervalMaxChars));
    password_ = Named(new CMyEdit, "password");
    password_->setMaxLength(static_cast<int>(kPasswordMaxChars));

    static_ = Named(new QRadioButton(QStringLiteral("Static")), "static");
    dhcp_ = Named(new QRadioButton(QStringLiteral("DHCP")), "dhcp");
    bootp_ = Named(new QRadioButton(QStringLiteral("Bootp")), "bootp");
    auto* modeBox = new QGroupBox(QStringLiteral("IP Mode"));
    auto* modeLayout = new QHBoxLayout(modeBox);
    modeLayout->addWidget(static_);
    modeLayout->addWidget(dhcp_);
    modeLayout->addWidget(bootp_);
    // Toggled rather than clicked, so arrow keys within the group count as a choice too.
    const std::pair<QRadioButton*, IpModeChoice> modes[] = {{static_, IpModeChoice::Static},
                                                            {dhcp_, IpModeChoice::Dhcp},
                                                            {bootp_, IpModeChoice::Bootp}};
    for (const auto& [button, choice] : modes) {
        connect(button, &QRadioButton::toggled, this, [this, choice = choice](bool checked) {
            if (checked)
                OnModeChosen(choice);
        });
    }

    // Every field as wide as the longest location; the others grow to the same width.
    location_->setMinimumWidth(WidthForChars(*location_, static_cast<int>(kLocationMax)));
    password_->setMinimumWidth(
        WidthForMaskedChars(*password_, static_cast<int>(kPasswordMaxChars)));

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Product name"), productName_);
    form->addRow(QStringLiteral("MAC Address"), mac_);
    form->addRow(QStringLiteral("IP Address"), ip_);
    form->addRow(QStringLiteral("Subnet mask"), mask_);
    form->addRow(QStringLiteral("Gateway"), gateway_);
    form->addRow(QStringLiteral("System name"), systemName_);
    form->addRow(QStringLiteral("Location"), location_);
    form->addRow(groupIntervalLabel_, groupInterval_);
    form->addRow(QStringLiteral("Password"), password_);

    const DialogButtons buttons = MakeDialogButtons(
        this, QStringLiteral("&Set"), QStringLiteral("set"), EnterKey::PressesNothing);
    set_ = buttons.accept;
    cancel_ = buttons.cancel;
    connect(set_, &QPushButton::clicked, this, &Configuration_Set::OnSet);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(modeBox);
    layout->addLayout(buttons.row);

    if (const DeviceRecord* device = SelectedRecord(program_.lists, program_.selection)) {
        boundMac_ = TextOf(device->mac_text);
        Fill(OpenConfigurationForm(*device, program_.settings));
    }
}

void Configuration_Set::Fill(const ConfigurationFormView& view) {
    productName_->setText(QString::fromStdString(view.productName));
    mac_->setText(QString::fromStdString(view.macText));
    ip_->SetAddress(view.ip);
    mask_->SetAddress(view.mask);
    gateway_->SetAddress(view.gateway);
    systemName_->setText(QString::fromStdString(view.systemName));
    location_->setText(QString::fromStdString(view.location));

    static_->setChecked(view.selected == IpModeChoice::Static);
    dhcp_->setChecked(view.selected == IpModeChoice::Dhcp);
    bootp_->setChecked(view.selected == IpModeChoice::Bootp);
    static_->setEnabled(view.staticEnabled);
    dhcp_->setEnabled(view.dhcpEnabled);
    bootp_->setEnabled(view.bootpEnabled);
    for (IpAddressEdit* field : {ip_, mask_, gateway_})
        field->setEnabled(view.addressesEnabled);

    systemName_->setEnabled(view.namesEnabled);
    location_->setEnabled(view.namesEnabled);
    password_->setEnabled(view.passwordEnabled);

    groupInterval_->setText(QString::fromStdString(view.groupIntervalText));
    groupInterval_->setEnabled(view.groupIntervalEnabled);
    groupInterval_->setVisible(view.groupIntervalVisible);
    groupIntervalLabel_->setVisible(view.groupIntervalVisible);
}

void Configuration_Set::OnModeChosen(IpModeChoice choice) {
    static_->setChecked(choice == IpModeChoice::Static);
    dhcp_->setChecked(choice == IpModeChoice::Dhcp);
    bootp_->setChecked(choice == IpModeChoice::Bootp);
    const bool addresses = choice == IpModeChoice::Static;
    for (IpAddressEdit* field : {ip_, mask_, gateway_})
        field->setEnabled(addresses);
}

ConfigurationInput Configuration_Set::Input() const {
    ConfigurationInput in;
    if (static_->isChecked())
        in.mode = IpModeChoice::Static;
    if (dhcp_->isChecked())
        in.mode = IpModeChoice::Dhcp;
    if (bootp_->isChecked())
        in.mode = IpModeChoice::Bootp;
    in.ip = ip_->Address();
    in.mask = mask_->Address();
    in.gateway = gateway_->Address();
    in.systemName = systemName_->text().toStdString();
    in.location = location_->text().toStdString();
    in.password = password_->text().toStdString();
    in.passwordEnabled = password_->isEnabled();
    in.groupInterval = groupInterval_->text().toStdString();
    in.groupIntervalEnabled = !groupInterval_->isHidden() && groupInterval_->isEnabled();
    return in;
}

bool Configuration_Set::AddressFieldsValid() {
    // An octet over 255 is no address the checks could judge: the field's own message, and
    // nothing is sent.
    const struct {
        IpAddressEdit* field;
        std::string_view text;
        std::string_view caption;
    } fields[] = {{ip_, kInvalidIpAddress, kSpacedErrorCaption},
                  {mask_, kInvalidMask, kErrorCaption},
                  {gateway_, kInvalidGateway, kErrorCaption}};
    for (const auto& f : fields) {
        if (f.field->isEnabled() && !f.field->IsValid()) {
            program_.ui.Notice(f.text, f.caption, Icon::Error, Owner::Form);
            f.field->setFocus();
            return false;
        }
    }
    return true;
}

void Configuration_Set::OnSet() {
    if (!AddressFieldsValid())
        return;
    const auto target = FindBoundDevice(program_.lists, boundMac_, program_.ui);
    if (!target)
        return;
    if (ClosesForm(SetConfiguration(SetRequestContextOf(program_, *target), Input(), workingCopy_)))
        accept();
}

bool Configuration_Set::Run(Program& program, QWidget* parent) {
    if (!SelectedRecord(program.lists, program.selection))
        return false;
    Configuration_Set form(program, parent);
    return form.exec() == QDialog::Accepted;
}

}  // namespace pm
