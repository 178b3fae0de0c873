#pragma once
// The checks every option value passes while the command line is read, so that a value that
// is not even of its kind (a MAC that is not twelve hexadecimal digits, an octet over 255, a
// number of seconds out of range) is a usage error, exit 2, before anything is sent. What the
// forms decide (an address the switch can't take, a name too long) stays with the forms.
#include <CLI/CLI.hpp>
#include <string>

namespace pm::cli {

// A MAC in any case, with ':', '-' or '.' between its digits or none.
CLI::Validator MacCheck();
// Four decimal octets of at most 255.
CLI::Validator Ipv4Check();
// A finite decimal number from min to max (NaN and infinity are refused).
CLI::Validator NumberCheck(double min, double max);
// Decimal digits only, however many: the range is the form's rule, with the form's message.
CLI::Validator WholeNumberCheck();

}  // namespace pm::cli
