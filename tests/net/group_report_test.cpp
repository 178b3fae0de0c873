#include <gtest/gtest.h>

#include <vector>

#include "net/GroupReport.h"

namespace pm {
namespace {

TEST(GroupReport, IsAnIgmpV1ReportWithItsChecksum) {
    struct Case {
        const char* group;
        std::array<uint8_t, 8> bytes;
    };
    const Case cases[] = {
        {"239.1.2.3", {0x12, 0x00, 0xFC, 0xFA, 0xEF, 0x01, 0x02, 0x03}},
        {"239.1.2.3      ", {0x12, 0x00, 0xFC, 0xFA, 0xEF, 0x01, 0x02, 0x03}},  // as stored, padded
        {"224.0.0.1", {0x12, 0x00, 0x0D, 0xFE, 0xE0, 0x00, 0x00, 0x01}},
        {"not an address", {0x12, 0x00, 0xED, 0xFF, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildGroupReport(c.group), c.bytes) << c.group;
        // A report with its checksum in place sums to zero.
        EXPECT_EQ(InternetChecksum(c.bytes), 0) << c.group;
    }
}

TEST(GroupReport, ChecksumPadsAnOddByteAndFoldsCarries) {
    const std::vector<uint8_t> odd{0x01};
    EXPECT_EQ(InternetChecksum(odd), 0xFEFF);
    const std::vector<uint8_t> carries{0xFF, 0xFF, 0x00, 0x01};
    EXPECT_EQ(InternetChecksum(carries), 0xFFFE);
}

}  // namespace
}  // namespace pm
