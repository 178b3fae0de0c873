#include "config/AddByAddress.h"

#include "config/SetRequest.h"
#include "config/Validation.h"

namespace pm {

bool ApplyAddByAddress(Ui& ui, uint32_t address, DeviceRecord& entry) {
    if (IsValidHostAddress(address) != 0 || address == 0) {
        ui.Notice(kInvalidIpAddress, kSpacedErrorCaption, Icon::Error, Owner::Form);
        return false;
    }
    entry = DeviceRecord{};
    entry.id_stamp = kAddedByAddressStamp;
    SetText(entry.ip_text, AddressToText(address));
    entry.ip = address;
    entry.row_flag = kRowNew;
    entry.status_mark = kStatusAlive;
    return true;
}

}  // namespace pm
