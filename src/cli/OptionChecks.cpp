#include "cli/OptionChecks.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "base/AddressText.h"
#include "cli/Target.h"

namespace pm::cli {
namespace {

std::string Quoted(const std::string& value) {
    return "'" + value + "'";
}

std::string Shown(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

}  // namespace

CLI::Validator MacCheck() {
    return CLI::Validator(
        [](std::string& value) {
            return NormaliseMac(value) ? std::string()
                                       : Quoted(value) +
                                             " is not a MAC address (12 hexadecimal "
                                             "digits, e.g. 00:11:22:aa:bb:cc)";
        },
        "MAC");
}

CLI::Validator Ipv4Check() {
    return CLI::Validator(
        [](std::string& value) {
            return ParseAddress(value) ? std::string()
                                       : Quoted(value) +
                                             " is not an IPv4 address (four numbers "
                                             "0-255, e.g. 192.168.1.20)";
        },
        "IPv4");
}

CLI::Validator NumberCheck(double min, double max) {
    return CLI::Validator(
        [min, max](std::string& value) {
            const char* begin = value.c_str();
            char* end = nullptr;
            const double v = std::strtod(begin, &end);
            const bool number = !value.empty() && end == begin + value.size() && std::isfinite(v);
            if (number && v >= min && v <= max)
                return std::string();
            return Quoted(value) + " is not a number from " + Shown(min) + " to " + Shown(max);
        },
        "NUMBER " + Shown(min) + "-" + Shown(max));
}

CLI::Validator WholeNumberCheck() {
    return CLI::Validator(
        [](std::string& value) {
            bool ok = !value.empty();
            for (char c : value)
                ok = ok && c >= '0' && c <= '9';
            return ok ? std::string() : Quoted(value) + " is not a whole number";
        },
        "NUMBER");
}

}  // namespace pm::cli
