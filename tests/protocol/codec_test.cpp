// Header, field walk, device text and field decoding, from fixed byte arrays.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "protocol/DecodeFields.h"
#include "protocol/DeviceReturnText.h"
#include "protocol/ProtocolHeader.h"
#include "protocol/TlvWalk.h"
#include "support/Replies.h"

namespace pm {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kReplyHeader = {
    0x00, 0x02, 0x00, 0x01,              // major 2, minor 1
    0x00, 0x1c, 0x2d, 0x3e, 0x4f, 0x5a,  // device MAC
    0x00, 0x02, 0x00, 0x04, 0x01, 0x00,  // revision 2, command 4, result 0x0100
    0x00, 0x00, 0xab, 0xcd,              // header_id
    0x02, 0x00, 0x00, 0x00, 0x00, 0x01,  // sender MAC
    0x12, 0x34,                          // sequence
    0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0};

TEST(ProtocolHeader, DecodesEveryFieldAndEncodesBackTheSameBytes) {
    const ProtocolHeader h = ProtocolHeader::Decode(kReplyHeader);
    EXPECT_EQ(h.major, 2);
    EXPECT_EQ(h.minor, 1);
    EXPECT_EQ(h.device_mac, (std::array<uint8_t, 6>{0x00, 0x1c, 0x2d, 0x3e, 0x4f, 0x5a}));
    EXPECT_EQ(h.revision, 2);
    EXPECT_EQ(h.command, 4);
    EXPECT_EQ(h.result, 0x0100);
    EXPECT_EQ(h.ResultCode(), 0) << "only the low byte of the result counts";
    EXPECT_EQ(h.header_id, 0xABCDu);
    EXPECT_EQ(h.sender_mac, (std::array<uint8_t, 6>{0x02, 0, 0, 0, 0, 0x01}));
    EXPECT_EQ(h.sequence, 0x1234);

    Bytes out(kHeaderSize, 0xEE);
    h.Encode(std::span<uint8_t, kHeaderSize>(out.data(), kHeaderSize));
    EXPECT_EQ(out, kReplyHeader);
}

TEST(ProtocolHeader, ShortBytesReadAsZeroPadded) {
    const Bytes three = {0x00, 0x02, 0x00};
    ProtocolHeader expected;
    expected.major = 2;
    EXPECT_EQ(ProtocolHeader::Decode(three), expected);
    EXPECT_EQ(ProtocolHeader::Decode({}), ProtocolHeader{});
}

TEST(BuildHeader, WritesTheBareRequest) {
    Settings settings;
    settings.header_id = 0x11223344;
    Bytes buf(kHeaderSize, 0xFF);
    EXPECT_EQ(BuildHeader(settings, buf.data(), 5), 40u);
    const Bytes expected = {0x00, 0x02, 0x00, 0x00, 0,    0,    0, 0, 0, 0, 0x00, 0x00, 0x00, 0x05,
                            0x00, 0x00, 0x11, 0x22, 0x33, 0x44, 0, 0, 0, 0, 0,    0,    0,    0,
                            0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0,    0};
    EXPECT_EQ(buf, expected);
}

struct WalkCase {
    const char* name;
    Bytes fields;
    std::vector<std::pair<uint16_t, size_t>> seen;  // type, value bytes
};

TEST(WalkFields, FollowsTheFieldRules) {
    const std::vector<WalkCase> cases = {
        {"empty", {}, {}},
        {"fewer than four bytes", {0x00, 0x01, 0x00}, {}},
        {"text", {0x00, 0x01, 0x00, 0x07, 'a', 'b', 'c'}, {{1, 3}}},
        {"empty text", {0x00, 0x02, 0x00, 0x04, 0x00, 0x03, 0x00, 0x05, 'x'}, {{2, 0}, {3, 1}}},
        {"length below the head ends the walk",
         {0x00, 0x01, 0x00, 0x03, 0x00, 0x02, 0x00, 0x05, 'x'},
         {}},
        {"length zero ends the walk", {0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x05, 'x'}, {}},
        {"length past the end", {0x00, 0x01, 0x00, 0x20, 'a'}, {}},
        {"length 65535", {0x00, 0x01, 0xff, 0xff, 'a', 'b'}, {}},
        {"fixed size whatever the length says",
         {0x00, 0x04, 0x00, 0x00, 10, 0, 0, 1, 0x00, 0x02, 0x00, 0x05, 'x'},
         {{4, 4}, {2, 1}}},
        {"fixed size past the end", {0x00, 0x04, 0x00, 0x08, 10, 0}, {}},
        {"good field then a truncated one",
         {0x00, 0x02, 0x00, 0x05, 'x', 0x00, 0x03, 0x00, 0x09, 'y'},
         {{2, 1}}},
        {"capabilities",
         {0x00, 0x81, 0x00, 0x14, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4},
         {{129, 16}}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<uint16_t, size_t>> seen;
        WalkFields(
            c.fields, [](uint16_t type) { return ReplyFieldSize(type, 2); },
            [&](const TlvField& f) {
                seen.emplace_back(f.type, f.value.size());
                return true;
            });
        EXPECT_EQ(seen, c.seen) << c.name;
    }
}

TEST(DeviceReturnText, TakesTheFirstDeviceTextUpTo40Bytes) {
    const std::string sixty(60, 'x');
    Bytes long30 = {0x00, 0x1e, 0x00, 64};
    long30.insert(long30.end(), sixty.begin(), sixty.end());
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {{}, "Device return : unknow error"},
        {{0x00, 0x01, 0x00, 0x06, 'p', 'n'}, "Device return : unknow error"},
        {{0x00, 0x1e, 0x00, 0x0d, 'p', 'o', 'r', 't', ' ', 'b', 'u', 's', 'y'},
         "Device return : port busy"},
        {long30, "Device return : " + std::string(40, 'x')},
        // Other fields are skipped by their length, even fixed-size ones.
        {{0x00, 0x04, 0x00, 0x0c, 1, 2, 3, 4, 5, 6, 7, 8, 0x00, 0x1e, 0x00, 0x06, 'o', 'k'},
         "Device return : ok"},
        {{0x00, 0x1e, 0x00, 0x05, 'a', 0x00, 0x1e, 0x00, 0x05, 'b'}, "Device return : a"},
        {{0x00, 0x1e, 0x00, 0x09, 'a', 'b', 0, 'c', 'd'}, "Device return : ab"},
        {{0x00, 0x1e, 0x00, 0x40, 'a', 'b'}, "Device return : unknow error"},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(DeviceReturnText(cases[i].first), cases[i].second) << i;
}

DeviceRecord Decoded(uint16_t revision, const Bytes& fields) {
    DeviceRecord r;
    r.revision = revision;
    r.ip_mode = 3;
    r.group_interval = -1;
    DecodeFields(fields, r);
    return r;
}

TEST(DecodeFields, FillsEveryKnownField) {
    test::Reply reply(0, test::Mac(1));
    reply.Text(FieldType::ProductName, "QR_GS108_V2")
        .Text(FieldType::SystemName, "core-sw")
        .Text(FieldType::Location, "rack 4")
        .Address(FieldType::IpAddress, test::Ip(10, 0, 0, 9))
        .Address(FieldType::SubnetMask, test::Ip(255, 255, 255, 0))
        .Address(FieldType::Gateway, test::Ip(10, 0, 0, 1))
        .U32(FieldType::Ignored7, 7)
        .Text(FieldType::Password, "secret")
        .U16(FieldType::IpMode, 1)
        .Raw(21, 6, {0xbe, 0xef})
        .U32(FieldType::GroupInterval, static_cast<uint32_t>(-5))
        .U16(FieldType::Ignored24, 0)
        .U16(FieldType::Ignored26, 0)
        .U32(FieldType::UpgradeWait1, 0x00010014)
        .U32(FieldType::UpgradeWait2, 300)
        .Raw(129, 20, {0, 0, 0x0f, 0xff, 0, 0, 0, 1, 0, 0, 0, 2, 0x80, 0, 0, 0});
    const DeviceRecord r = Decoded(2, reply.fields);
    EXPECT_EQ(TextOf(r.product_name), "QR_GS108_V2");
    EXPECT_EQ(TextOf(r.system_name), "core-sw");
    EXPECT_EQ(TextOf(r.location), "rack 4");
    EXPECT_EQ(r.ip, test::Ip(10, 0, 0, 9));
    EXPECT_EQ(TextOf(r.ip_text), "10.0.0.9");
    EXPECT_EQ(TextOf(r.mask_text), "255.255.255.0");
    EXPECT_EQ(TextOf(r.gateway_text), "10.0.0.1");
    EXPECT_EQ(r.gateway, test::Ip(10, 0, 0, 1));
    EXPECT_EQ(TextOf(r.password), "secret");
    EXPECT_EQ(r.ip_mode, 1);
    EXPECT_EQ(r.type21_value[0], 0xbe);
    EXPECT_EQ(r.type21_value[1], 0xef);
    EXPECT_EQ(r.group_interval, -5);
    EXPECT_EQ(r.upgrade_wait_1, 20);
    EXPECT_EQ(r.upgrade_wait_2, 300);
    EXPECT_EQ(r.capabilities[0], 0xfffu);
    EXPECT_EQ(r.capabilities[3], 0x80000000u);
}

TEST(DecodeFields, RevisionOneModeIsOneByteAndTheNextFieldStillDecodes) {
    const Bytes fields = {0x00, 0x0a, 0x00, 0x05, 0x02, 0x00, 0x02, 0x00, 0x06, 'a', 'b'};
    const DeviceRecord r = Decoded(1, fields);
    EXPECT_EQ(r.ip_mode, 2);
    EXPECT_EQ(TextOf(r.system_name), "ab");
}

TEST(DecodeFields, CutsLongTextsAndKeepsWalking) {
    test::Reply reply(0, test::Mac(1));
    reply.Text(FieldType::Location, std::string(120, 'L'))
        .Text(FieldType::ProductName, std::string(60, 'P'))
        .Text(FieldType::SystemName, "after");
    const DeviceRecord r = Decoded(2, reply.fields);
    EXPECT_EQ(TextOf(r.location), std::string(30, 'L'));
    EXPECT_EQ(TextOf(r.product_name), std::string(40, 'P'));
    EXPECT_EQ(TextOf(r.system_name), "after");
    EXPECT_EQ(r.location[30], '\0');
}

TEST(DecodeFields, AFieldRunningPastTheEndKeepsWhatCameBefore) {
    const Bytes fields = {0x00, 0x02, 0x00, 0x06, 's', 'n', 0x00, 0x04, 0x00, 0x08, 10, 0, 0};
    const DeviceRecord r = Decoded(2, fields);
    EXPECT_EQ(TextOf(r.system_name), "sn");
    EXPECT_EQ(r.ip, 0u);
    EXPECT_EQ(r.ip_mode, 3);
}

}  // namespace
}  // namespace pm
