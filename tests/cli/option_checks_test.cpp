// Values that are not of their kind are usage errors, found while the command line is read.
#include <gtest/gtest.h>

#include "cli/OptionChecks.h"

namespace pm::cli {
namespace {

struct Case {
    const char* value;
    bool ok;
};

void Expect(const CLI::Validator& check, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const std::string message = check(std::string(c.value));
        EXPECT_EQ(message.empty(), c.ok) << "'" << c.value << "': " << message;
        if (!c.ok) {
            EXPECT_NE(message.find(c.value), std::string::npos) << "names the value";
        }
    }
}

TEST(OptionChecks, EachKindRefusesWhatIsNotOfIt) {
    Expect(MacCheck(), {{"02504d000001", true},
                        {"02:50:4D:00:00:01", true},
                        {"02-50-4d-00-00-01", true},
                        {"zz", false},
                        {"02504d00000", false},
                        {"02504d0000011", false},
                        {"", false}});
    Expect(Ipv4Check(), {{"10.201.1.20", true},
                         {"0.0.0.0", true},
                         {"300.1.1.1", false},
                         {"10.1.1", false},
                         {"10.1.1.1.", false},
                         {"10.1.1.0x1", false},
                         {"", false}});
    Expect(NumberCheck(0.1, 600.0), {{"3", true},
                                     {"0.1", true},
                                     {"600", true},
                                     {"0.05", false},
                                     {"600.5", false},
                                     {"nan", false},
                                     {"inf", false},
                                     {"1e999", false},
                                     {"3s", false},
                                     {"", false}});
    // The range of a group interval is the form's, with its message: any digits pass.
    Expect(WholeNumberCheck(), {{"0", true},
                                {"1225", true},
                                {"4294967416", true},
                                {"-1", false},
                                {"12a", false},
                                {"", false}});
}

}  // namespace
}  // namespace pm::cli
