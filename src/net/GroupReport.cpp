#include "net/GroupReport.h"

#include <arpa/inet.h>

#include <string>

#include "protocol/Bytes.h"

namespace pm {

uint16_t InternetChecksum(std::span<const uint8_t> bytes) {
    uint32_t sum = 0;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        const uint32_t high = bytes[i];
        const uint32_t low = i + 1 < bytes.size() ? bytes[i + 1] : 0;
        sum += high << 8 | low;
    }
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

std::array<uint8_t, kGroupReportSize> BuildGroupReport(std::string_view groupText) {
    // The settings keep the group padded with blanks to its 15-character width.
    while (!groupText.empty() && (groupText.back() == ' ' || groupText.back() == '\0'))
        groupText.remove_suffix(1);
    in_addr group{};
    if (inet_pton(AF_INET, std::string(groupText).c_str(), &group) != 1)
        group.s_addr = 0;

    std::array<uint8_t, kGroupReportSize> report{};
    ByteWriter w(report.data(), report.size());
    w.U8(0x12).U8(0).U16be(0).U32be(ntohl(group.s_addr));
    const uint16_t checksum = InternetChecksum(report);
    w.Seek(2);
    w.U16be(checksum);
    return report;
}

}  // namespace pm
