#include "inventory/DeviceRecord.h"

#include "base/Bytes.h"

namespace pm {
namespace {

template <size_t N>
void PutText(ByteWriter& w, const char (&field)[N]) {
    // Terminate inside the width whatever the field holds.
    const std::string_view text = TextOf(field);
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    w.Bytes(reinterpret_cast<const uint8_t*>(text.data()), n).Zeros(N - n);
}

template <size_t N>
void GetText(ByteReader& r, char (&field)[N]) {
    uint8_t raw[N];
    r.Bytes(raw, N);
    size_t n = 0;
    while (n < N - 1 && raw[n])
        ++n;
    SetText(field, std::string_view(reinterpret_cast<const char*>(raw), n));
}

uint32_t U32(ByteReader& r) {
    uint32_t v = 0;
    r.U32le(v);
    return v;
}
uint16_t U16(ByteReader& r) {
    uint16_t v = 0;
    r.U16le(v);
    return v;
}

}  // namespace

void EncodeRecord(const DeviceRecord& record, std::span<uint8_t, kRecordSize> out) {
    ByteWriter writer(out);
    writer.U32le(record.id_stamp);
    PutText(writer, record.mac_text);
    PutText(writer, record.product_name);
    PutText(writer, record.system_name);
    PutText(writer, record.location);
    PutText(writer, record.group_interval_text);
    PutText(writer, record.ip_text);
    PutText(writer, record.mask_text);
    PutText(writer, record.gateway_text);
    PutText(writer, record.password);
    PutText(writer, record.new_password);
    writer.Zeros(3);
    writer.U32le(record.ip)
        .U32le(record.mask)
        .U32le(record.gateway)
        .U32le(static_cast<uint32_t>(record.group_interval));
    writer.Bytes(record.type21_value, 2).Zeros(2);
    writer.U32le(static_cast<uint32_t>(record.row_flag))
        .U32le(static_cast<uint32_t>(record.missed_polls))
        .U32le(static_cast<uint32_t>(record.status_mark))
        .U32le(static_cast<uint32_t>(record.answered));
    writer.U16le(record.last_command)
        .U16le(record.major)
        .U16le(record.revision)
        .U16le(record.minor)
        .U16le(record.loader)
        .U16le(record.ip_mode);
    for (uint32_t word : record.capabilities)
        writer.U32le(word);
    writer.U16le(record.upgrade_wait_1).U16le(record.upgrade_wait_2);
}

DeviceRecord DecodeRecord(std::span<const uint8_t, kRecordSize> in) {
    ByteReader reader(in);
    DeviceRecord record;
    record.id_stamp = U32(reader);
    GetText(reader, record.mac_text);
    GetText(reader, record.product_name);
    GetText(reader, record.system_name);
    GetText(reader, record.location);
    GetText(reader, record.group_interval_text);
    GetText(reader, record.ip_text);
    GetText(reader, record.mask_text);
    GetText(reader, record.gateway_text);
    GetText(reader, record.password);
    GetText(reader, record.new_password);
    reader.Skip(3);
    record.ip = U32(reader);
    record.mask = U32(reader);
    record.gateway = U32(reader);
    record.group_interval = static_cast<int32_t>(U32(reader));
    reader.Bytes(record.type21_value, 2);
    reader.Skip(2);
    record.row_flag = static_cast<int32_t>(U32(reader));
    record.missed_polls = static_cast<int32_t>(U32(reader));
    record.status_mark = static_cast<int32_t>(U32(reader));
    record.answered = static_cast<int32_t>(U32(reader));
    record.last_command = U16(reader);
    record.major = U16(reader);
    record.revision = U16(reader);
    record.minor = U16(reader);
    record.loader = U16(reader);
    record.ip_mode = U16(reader);
    for (uint32_t& word : record.capabilities)
        word = U32(reader);
    record.upgrade_wait_1 = U16(reader);
    record.upgrade_wait_2 = U16(reader);
    return record;
}

}  // namespace pm
