#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "inventory/DeviceRecord.h"

namespace pm {

// Bytes a reply field of this type occupies in the walk (0: its declared length). The
// mode field is one byte shorter in revision-1 replies.
size_t ReplyFieldSize(uint16_t type, uint16_t revision);

// Fills the staging record from the reply fields (the bytes after the header). The
// record's revision must already be set. Texts are cut to their field's width less one.
void DecodeFields(std::span<const uint8_t> fields, DeviceRecord& staging);

}  // namespace pm
