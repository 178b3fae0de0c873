#include "config/Validation.h"

#include <gtest/gtest.h>

#include <array>

#include "inventory/ProductName.h"

namespace pm::test {
namespace {

uint32_t Ip(const char* text) {
    const auto a = ParseAddress(text);
    EXPECT_TRUE(a.has_value()) << text;
    return a.value_or(0);
}

TEST(Validation, HostAddressByClass) {
    const std::pair<const char*, int> cases[] = {
        {"10.0.0.0", -1},        {"10.255.255.255", -1}, {"10.0.0.1", 0},       {"126.1.1.1", 0},
        {"127.0.0.1", -1},       {"172.16.255.255", -1}, {"172.16.0.0", -1},    {"172.16.0.1", 0},
        {"191.255.0.1", 0},      {"192.168.1.0", -1},    {"192.168.1.255", -1}, {"192.168.1.1", 0},
        {"223.1.1.1", 0},        {"224.0.0.1", -1},      {"239.1.1.1", -1},     {"240.0.0.1", -1},
        {"255.255.255.255", -1}, {"0.1.2.3", -1},        {"0.0.0.0", -1},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(IsValidHostAddress(Ip(text)), expected) << text;
}

TEST(Validation, HostPartAndGatewaySubnet) {
    struct Case {
        const char *address, *mask;
        int hostPart;
    };
    for (const Case& c :
         {Case{"192.168.1.0", "255.255.255.0", -1}, Case{"192.168.1.255", "255.255.255.0", -1},
          Case{"192.168.1.255", "255.255.0.0", 0}, Case{"192.168.1.0", "255.255.255.255", 0},
          Case{"10.0.0.0", "255.255.255.255", 0}, Case{"10.1.0.0", "255.255.0.0", -1},
          Case{"10.1.0.1", "255.255.0.0", 0}})
        EXPECT_EQ(IsValidHostPart(Ip(c.address), Ip(c.mask)), c.hostPart)
            << c.address << "/" << c.mask;

    struct GatewayCase {
        const char *address, *gateway, *mask;
        int expected;
    };
    for (const GatewayCase& c : {GatewayCase{"192.168.1.10", "0.0.0.0", "255.255.255.0", 0},
                                 GatewayCase{"10.1.1.1", "0.0.0.0", "255.255.255.255", 0},
                                 GatewayCase{"192.168.1.10", "192.168.2.1", "255.255.255.0", -1},
                                 GatewayCase{"192.168.1.10", "192.168.2.1", "255.255.0.0", 0},
                                 GatewayCase{"192.168.1.10", "192.168.1.1", "255.255.255.0", 0}})
        EXPECT_EQ(IsGatewayInSubnet(Ip(c.address), Ip(c.gateway), Ip(c.mask)), c.expected)
            << c.gateway;
}

TEST(Validation, MaskRules) {
    const std::pair<const char*, int> contiguous[] = {
        {"255.255.254.0", 1}, {"255.0.255.0", 0}, {"0.0.0.0", 1}, {"255.255.255.255", 1},
        {"255.255.255.0", 1}, {"128.0.0.0", 1},   {"0.0.0.1", 0}, {"255.255.255.253", 0},
    };
    for (const auto& [text, expected] : contiguous)
        EXPECT_EQ(IsContiguousMask(Ip(text)), expected) << text;

    EXPECT_TRUE(IsValidMaskOctets(Ip("255.255.255.0")));
    EXPECT_FALSE(IsValidMaskOctets(Ip("255.255.255.255")));
    EXPECT_FALSE(IsValidMaskOctets(Ip("0.255.255.0")));
    EXPECT_FALSE(IsValidMaskOctets(Ip("0.0.0.0")));

    EXPECT_TRUE(IsValidGatewayOctets(Ip("0.0.0.0")));
    EXPECT_TRUE(IsValidGatewayOctets(Ip("222.255.255.255")));
    EXPECT_FALSE(IsValidGatewayOctets(Ip("223.0.0.1")));
    EXPECT_FALSE(IsValidGatewayOctets(Ip("255.255.255.255")));
}

TEST(Validation, SameSubnet) {
    EXPECT_EQ(IsSameSubnet(Ip("10.1.2.3"), Ip("10.1.9.9"), Ip("255.255.0.0")), 0);
    EXPECT_EQ(IsSameSubnet(Ip("10.1.2.3"), Ip("10.2.2.3"), Ip("255.255.0.0")), -1);
}

TEST(Validation, NameText) {
    const std::pair<std::string, int> cases[] = {
        {"Room 1", 1},
        {"a:b", 0},
        {"a :b", 1},
        {":b", 0},
        {"a.:b", 0},
        {"x_y", 1},
        {"", 1},
        {"a ::c", 1},
        {"a b:c", 0},
        {"a\rb", 0},
        {"caf\xC3\xA9", 0},
        {"\x80", 0},
        {"a\tb:c", 0},
        {"a\t:c", 1},
        {"~`!@#$%^&*{}[]()_-+=.", 1},
        {"a |\\/?<>,;'\"", 1},
        {"a \"", 1},
        {"1/2", 0},
        {"x (/)", 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(IsValidNameText(text), expected) << text;
}

TEST(Validation, HexToBytes) {
    std::array<uint8_t, 6> out{};
    EXPECT_EQ(HexToBytes("0012ab34cdef", out.data(), out.size()), 0);
    EXPECT_EQ(out, (std::array<uint8_t, 6>{0x00, 0x12, 0xAB, 0x34, 0xCD, 0xEF}));
    out.fill(0);
    EXPECT_EQ(HexToBytes("0012AB34CDEF", out.data(), out.size()), 0);
    EXPECT_EQ(out, (std::array<uint8_t, 6>{0x00, 0x12, 0xAB, 0x34, 0xCD, 0xEF}));

    out.fill(0x55);
    EXPECT_EQ(HexToBytes("0012ab34cdeg", out.data(), out.size()), -1);
    EXPECT_EQ(out, (std::array<uint8_t, 6>{0x55, 0x55, 0x55, 0x55, 0x55, 0x55}));

    EXPECT_EQ(HexToBytes("abc", out.data(), out.size()), 0);
    EXPECT_EQ(out[0], 0xAB);
    EXPECT_EQ(out[1], 0x55);

    // More bytes than the buffer holds: refused, nothing written.
    EXPECT_EQ(HexToBytes("00112233445566", out.data(), out.size()), -1);
    EXPECT_EQ(out[0], 0xAB);
    EXPECT_EQ(HexToBytes(std::string(128, '0'), out.data(), out.size()), -1);
}

TEST(Validation, FormatMac) {
    const uint8_t mac[6] = {0x00, 0x12, 0xAB, 0x34, 0xCD, 0xEF};
    char text[13];
    EXPECT_EQ(FormatMac(mac, text), 0);
    EXPECT_STREQ(text, "0012ab34cdef");
    EXPECT_EQ(FormatMac(mac), "0012ab34cdef");
}

TEST(Validation, ProductName) {
    const std::pair<std::string, std::string> cases[] = {
        {"QRVM410_24", "QR-VM410/24"},
        {"QR_VM410_16", "QR-VM410/16"},
        {"QR_VM410", "QR-VM410/"},
        {"Switch", "Switch"},
        {"", ""},
        {"XQRVM410_8", "QR-VM410/8"},
        {"QR__16", "QR-/"},  // scanning stops at the empty field
        {"QR_A_B_C", "QR-A/B"},
    };
    for (const auto& [raw, shown] : cases)
        EXPECT_EQ(FormatProductName(raw), shown) << raw;
}

TEST(Validation, PasswordLength) {
    EXPECT_FALSE(IsValidPasswordLength(""));
    EXPECT_TRUE(IsValidPasswordLength("a"));
    EXPECT_TRUE(IsValidPasswordLength(std::string(20, 'p')));
    EXPECT_FALSE(IsValidPasswordLength(std::string(21, 'p')));
    // Counted in bytes: ten two-byte characters fill the twenty.
    std::string wide;
    for (int i = 0; i < 11; ++i)
        wide += "\xC3\xA9";
    EXPECT_FALSE(IsValidPasswordLength(wide));
    EXPECT_TRUE(IsValidPasswordLength(" Case sensitive "));
}

TEST(Validation, GroupIntervalRule) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"0", 0},     {"", 0},     {"120", 120},        {"1225", 1225}, {"0120", 120},
        {"0000", 0},  {"119", {}}, {"1226", {}},        {"12a", {}},    {"-5", {}},
        {" 120", {}}, {"1", {}},   {"99999999999", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseGroupInterval(text), expected) << text;
    // Longer than the form's four characters: refused, never read past an int's range.
    for (const char* text : {"4294967416", "4294967296", "00120", "00000000000000000120"})
        EXPECT_EQ(ParseGroupInterval(text), std::nullopt) << text;
}

TEST(Validation, AddressText) {
    EXPECT_EQ(AddressToText(0xC0A8010A), "192.168.1.10");
    EXPECT_EQ(AddressToText(0), "0.0.0.0");
    EXPECT_EQ(ParseAddress("255.255.255.255"), 0xFFFFFFFFu);
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.4 ", "0001.2.3.4"})
        EXPECT_EQ(ParseAddress(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace pm::test
