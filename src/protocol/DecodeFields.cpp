#include "protocol/DecodeFields.h"

#include <string_view>

#include "base/AddressText.h"
#include "base/Bytes.h"
#include "base/WireConstants.h"
#include "protocol/TlvWalk.h"

namespace pm {
namespace {

std::string_view AsText(std::span<const uint8_t> value) {
    return {reinterpret_cast<const char*>(value.data()), value.size()};
}

uint32_t Be32(std::span<const uint8_t> value) {
    ByteReader r(value);
    uint32_t v = 0;
    r.U32be(v);
    return v;
}

template <size_t N>
void SetAddress(uint32_t& number, char (&text)[N], std::span<const uint8_t> value) {
    number = Be32(value);
    SetText(text, AddressToText(number));
}

}  // namespace

size_t ReplyFieldSize(uint16_t type, uint16_t revision) {
    switch (static_cast<FieldType>(type)) {
        case FieldType::IpAddress:
        case FieldType::SubnetMask:
        case FieldType::Gateway:
        case FieldType::Ignored7:
        case FieldType::GroupInterval:
        case FieldType::UpgradeWait1:
        case FieldType::UpgradeWait2:
            return 8;
        case FieldType::IpMode:
            return revision == 1 ? 5 : 6;
        case FieldType::Type21:
        case FieldType::Ignored24:
        case FieldType::Ignored26:
            return 6;
        case FieldType::Capabilities:
            return 20;
        default:
            return 0;
    }
}

void DecodeFields(std::span<const uint8_t> fields, DeviceRecord& s) {
    const uint16_t revision = s.revision;
    WalkFields(
        fields, [revision](uint16_t type) { return ReplyFieldSize(type, revision); },
        [&s, revision](const TlvField& f) {
            ByteReader v(f.value);
            switch (static_cast<FieldType>(f.type)) {
                case FieldType::ProductName:
                    SetText(s.product_name, AsText(f.value));
                    break;
                case FieldType::SystemName:
                    SetText(s.system_name, AsText(f.value));
                    break;
                case FieldType::Location:
                    SetText(s.location, AsText(f.value));
                    break;
                case FieldType::Password:
                    SetText(s.password, AsText(f.value));
                    break;
                case FieldType::IpAddress:
                    SetAddress(s.ip, s.ip_text, f.value);
                    break;
                case FieldType::SubnetMask:
                    SetAddress(s.mask, s.mask_text, f.value);
                    break;
                case FieldType::Gateway:
                    SetAddress(s.gateway, s.gateway_text, f.value);
                    break;
                case FieldType::IpMode:
                    if (revision == 1) {
                        uint8_t mode = 0;
                        v.U8(mode);
                        s.ip_mode = mode;
                    } else {
                        v.U16be(s.ip_mode);
                    }
                    break;
                case FieldType::Type21:
                    v.Bytes(s.type21_value, sizeof s.type21_value);
                    break;
                case FieldType::GroupInterval:
                    s.group_interval = static_cast<int32_t>(Be32(f.value));
                    break;
                case FieldType::UpgradeWait1:
                    s.upgrade_wait_1 = static_cast<uint16_t>(Be32(f.value));
                    break;
                case FieldType::UpgradeWait2:
                    s.upgrade_wait_2 = static_cast<uint16_t>(Be32(f.value));
                    break;
                case FieldType::Capabilities:
                    for (uint32_t& word : s.capabilities)
                        v.U32be(word);
                    break;
                default:
                    break;
            }
            return true;
        });
}

}  // namespace pm
