#pragma once
// An IPv4 address field: four dotted decimal octets, typed or left blank. A blank octet reads
// as 0 and a blank field as 0.0.0.0, as the core expects. An octet over 255 is kept as typed
// and the field is marked invalid (a warning sign with a tooltip), never silently changed;
// the forms refuse to go on with an invalid field.
#include <QLineEdit>
#include <cstdint>
#include <optional>

class QAction;

namespace pm {

class IpAddressEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    // Host order (first octet most significant); nullopt empties the field.
    void SetAddress(std::optional<uint32_t> address);
    // The address typed; an invalid field reads as 0.0.0.0.
    uint32_t Address() const;
    bool IsBlank() const;
    // False while an octet is over 255.
    bool IsValid() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ShowValidity();
    QAction* invalidMark_;
};

}  // namespace pm
