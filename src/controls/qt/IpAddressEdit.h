#pragma once
// An IPv4 address field: four dotted decimal octets of 0-255, typed or left blank. A blank
// octet reads as 0 and a blank field as 0.0.0.0, as the core expects.
#include <QLineEdit>
#include <cstdint>
#include <optional>

namespace pm {

class IpAddressEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    // Host order (first octet most significant); nullopt empties the field.
    void SetAddress(std::optional<uint32_t> address);
    uint32_t Address() const;
    bool IsBlank() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace pm
