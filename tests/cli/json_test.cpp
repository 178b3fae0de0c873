// The JSON for tools: stable keys, MACs in both forms, the IP mode as number and word,
// network texts that never break the output, time stamps with their offset.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/FixedText.h"
#include "base/WireConstants.h"
#include "cli/DeviceJson.h"
#include "cli/IsoTime.h"

namespace pm::cli {
namespace {

DeviceRecord Switch() {
    DeviceRecord r;
    SetText(r.mac_text, "02504d000001");
    SetText(r.ip_text, "10.201.1.10");
    SetText(r.system_name, "core-a");
    r.ip_mode = 1;
    r.group_interval = 125;
    return r;
}

// Texts are compared as strings: GCC 12 at -O3 warns wrongly inside json's own operator==.
TEST(Json, KeysOfASwitch) {
    const auto j = DeviceToJson(Switch(), true);
    EXPECT_EQ(j["mac"].get<std::string>(), "02:50:4d:00:00:01");
    EXPECT_EQ(j["mac_bare"].get<std::string>(), "02504d000001");
    EXPECT_EQ(j["ip_mode"], 1);
    EXPECT_EQ(j["ip_mode_name"].get<std::string>(), "DHCP");
    EXPECT_EQ(j["group_interval"], 125);
    for (const char* key : {"ip", "mask", "gateway", "product_name", "product_name_raw",
                            "system_name", "location", "protocol_version", "revision", "loader"})
        EXPECT_TRUE(j.contains(key)) << key;

    DeviceRecord silent = Switch();
    silent.ip_mode = kIpModeNotReported;
    const auto s = DeviceToJson(silent, false);
    EXPECT_TRUE(s["ip_mode"].is_null());
    EXPECT_TRUE(s["ip_mode_name"].is_null());
    EXPECT_TRUE(s["group_interval"].is_null()) << "the settings show no group interval";

    const auto m = MonitoredToJson(Switch());
    EXPECT_EQ(m["mac"].get<std::string>(), "02:50:4d:00:00:01");
    EXPECT_EQ(m["mac_bare"].get<std::string>(), "02504d000001");
    EXPECT_EQ(m["state"].get<std::string>(), "alive");
}

TEST(Json, BytesThatAreNotUtf8AreReadAsLatin1) {
    DeviceRecord r = Switch();
    SetText(r.location, "Halle \xFF\xE9");
    const auto j = DeviceToJson(r, true);
    EXPECT_EQ(j["location"].get<std::string>(), "Halle \xC3\xBF\xC3\xA9");
    EXPECT_NO_THROW(j.dump());
}

TEST(Json, TimeStampsCarryTheirOffset) {
    const char* saved = std::getenv("TZ");
    const std::string before = saved ? saved : "";
    struct Case {
        const char* tz;
        const char* stamp;
    };
    // POSIX zone strings count west of Greenwich as positive.
    for (const Case& c :
         {Case{"UTC0", "1970-01-02T00:00:00+00:00"}, Case{"IST-5:30", "1970-01-02T05:30:00+05:30"},
          Case{"EST5", "1970-01-01T19:00:00-05:00"}}) {
        setenv("TZ", c.tz, 1);
        tzset();
        EXPECT_EQ(IsoTime(86400), c.stamp) << c.tz;
    }
    if (saved)
        setenv("TZ", before.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

}  // namespace
}  // namespace pm::cli
