// The check's verdicts: states by thresholds, the status line and its performance data.
#include <gtest/gtest.h>

#include "app/PluginCheck.h"

namespace pm {
namespace {

DeviceRecord CoreA() {
    DeviceRecord r;
    SetText(r.mac_text, "02504d000001");
    SetText(r.system_name, "core-a");
    return r;
}

TEST(PluginCheck, ThresholdsRaiseTheStateOnlyWhenTheAnswerIsSlower) {
    struct Case {
        uint64_t rttUs;
        CheckThresholds limits;
        PluginState state;
        std::string line;
    };
    const Case cases[] = {
        {1300,
         {},
         PluginState::Ok,
         "PORTMESA OK - core-a (02504d000001) answered in 1.3 ms | rtt=0.0013s;;;0;"},
        {16,
         {},
         PluginState::Ok,
         "PORTMESA OK - core-a (02504d000001) answered in 0.016 ms | rtt=0.000016s;;;0;"},
        {100000,
         {100.0, 500.0},
         PluginState::Ok,
         "PORTMESA OK - core-a (02504d000001) answered in 100.0 ms | rtt=0.1s;0.1;0.5;0;"},
        {100001,
         {100.0, 500.0},
         PluginState::Warning,
         "PORTMESA WARNING - core-a (02504d000001) answered in 100.0 ms (warning above 100 ms) "
         "| rtt=0.100001s;0.1;0.5;0;"},
        {750000,
         {100.0, 500.0},
         PluginState::Critical,
         "PORTMESA CRITICAL - core-a (02504d000001) answered in 750.0 ms (critical above 500 ms) "
         "| rtt=0.75s;0.1;0.5;0;"},
        {2500,
         {std::nullopt, 2.5},
         PluginState::Ok,
         "PORTMESA OK - core-a (02504d000001) answered in 2.5 ms | rtt=0.0025s;;0.0025;0;"},
        {2600,
         {std::nullopt, 2.5},
         PluginState::Critical,
         "PORTMESA CRITICAL - core-a (02504d000001) answered in 2.6 ms (critical above 2.5 ms) "
         "| rtt=0.0026s;;0.0025;0;"},
        {1,
         {0.0, std::nullopt},
         PluginState::Warning,
         "PORTMESA WARNING - core-a (02504d000001) answered in 0.001 ms (warning above 0 ms) "
         "| rtt=0.000001s;0;;0;"},
    };
    for (const Case& c : cases) {
        const CheckVerdict v = CheckAnswered(CoreA(), c.rttUs, c.limits);
        EXPECT_EQ(v.state, c.state) << c.line;
        EXPECT_EQ(v.line, c.line);
        EXPECT_EQ(v.ExitCode(), static_cast<int>(c.state));
    }
}

TEST(PluginCheck, SilenceIsCriticalAndAFailedCheckIsUnknown) {
    const CheckVerdict silent = CheckSilent("10.201.1.10", 1.5);
    EXPECT_EQ(silent.ExitCode(), 2);
    EXPECT_EQ(silent.line, "PORTMESA CRITICAL - no answer from 10.201.1.10 within 1.5 s");

    const CheckVerdict unknown = CheckUnknown("--warning: bad | value\nnext");
    EXPECT_EQ(unknown.ExitCode(), 3);
    EXPECT_EQ(unknown.line, "PORTMESA UNKNOWN - --warning: bad   value next");
}

TEST(PluginCheck, TheSwitchNameCannotBreakTheLineOrStartThePerformanceData) {
    DeviceRecord r = CoreA();
    SetText(r.system_name, "a|b\ncaf\xE9");
    EXPECT_EQ(CheckSwitchLabel(r),
              "a\xC2\xA6"
              "b\xE2\x90\x8A"
              "caf\xC3\xA9 (02504d000001)");
    const std::string line = CheckAnswered(r, 1000, {}).line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.find('|'), line.rfind('|'));
    SetText(r.system_name, "");
    EXPECT_EQ(CheckSwitchLabel(r), "02504d000001");
}

}  // namespace
}  // namespace pm
