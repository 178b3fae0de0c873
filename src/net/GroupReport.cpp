#include "net/GroupReport.h"

#include <arpa/inet.h>

#include "base/Bytes.h"

namespace pm {

uint16_t InternetChecksum(const uint8_t* data, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; i += 2) {
        const uint32_t high = data[i];
        const uint32_t low = i + 1 < length ? data[i + 1] : 0;
        sum += high << 8 | low;
    }
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

std::array<uint8_t, 8> BuildGroupReport(const char* group) {
    in_addr a{};
    const uint32_t address = inet_pton(AF_INET, group, &a) == 1 ? ntohl(a.s_addr) : 0;
    std::array<uint8_t, 8> report{};
    ByteWriter w(report.data(), report.size());
    w.U8(0x12).U8(0).U16be(0).U32be(address);
    const uint16_t checksum = InternetChecksum(report.data(), report.size());
    w.Seek(2);
    w.U16be(checksum);
    return report;
}

}  // namespace pm
