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

void EncodeRecord(const DeviceRecord& d, std::span<uint8_t, kRecordSize> out) {
    ByteWriter w(out);
    w.U32le(d.id_stamp);
    PutText(w, d.mac_text);
    PutText(w, d.product_name);
    PutText(w, d.system_name);
    PutText(w, d.location);
    PutText(w, d.group_interval_text);
    PutText(w, d.ip_text);
    PutText(w, d.mask_text);
    PutText(w, d.gateway_text);
    PutText(w, d.password);
    PutText(w, d.new_password);
    w.Zeros(3);
    w.U32le(d.ip).U32le(d.mask).U32le(d.gateway).U32le(static_cast<uint32_t>(d.group_interval));
    w.Bytes(d.type21_value, 2).Zeros(2);
    w.U32le(static_cast<uint32_t>(d.row_flag))
        .U32le(static_cast<uint32_t>(d.missed_polls))
        .U32le(static_cast<uint32_t>(d.status_mark))
        .U32le(static_cast<uint32_t>(d.answered));
    w.U16le(d.last_command)
        .U16le(d.major)
        .U16le(d.revision)
        .U16le(d.minor)
        .U16le(d.loader)
        .U16le(d.ip_mode);
    for (uint32_t word : d.capabilities)
        w.U32le(word);
    w.U16le(d.upgrade_wait_1).U16le(d.upgrade_wait_2);
}

DeviceRecord DecodeRecord(std::span<const uint8_t, kRecordSize> in) {
    ByteReader r(in);
    DeviceRecord d;
    d.id_stamp = U32(r);
    GetText(r, d.mac_text);
    GetText(r, d.product_name);
    GetText(r, d.system_name);
    GetText(r, d.location);
    GetText(r, d.group_interval_text);
    GetText(r, d.ip_text);
    GetText(r, d.mask_text);
    GetText(r, d.gateway_text);
    GetText(r, d.password);
    GetText(r, d.new_password);
    r.Skip(3);
    d.ip = U32(r);
    d.mask = U32(r);
    d.gateway = U32(r);
    d.group_interval = static_cast<int32_t>(U32(r));
    r.Bytes(d.type21_value, 2);
    r.Skip(2);
    d.row_flag = static_cast<int32_t>(U32(r));
    d.missed_polls = static_cast<int32_t>(U32(r));
    d.status_mark = static_cast<int32_t>(U32(r));
    d.answered = static_cast<int32_t>(U32(r));
    d.last_command = U16(r);
    d.major = U16(r);
    d.revision = U16(r);
    d.minor = U16(r);
    d.loader = U16(r);
    d.ip_mode = U16(r);
    for (uint32_t& word : d.capabilities)
        word = U32(r);
    d.upgrade_wait_1 = U16(r);
    d.upgrade_wait_2 = U16(r);
    return d;
}

}  // namespace pm
