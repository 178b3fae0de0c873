#pragma once
// --help-all as help2man reads it, so that the man page lists every command with its options:
// a heading "Command NAME ARGS:" per command, its description, then its options.
#include <CLI/CLI.hpp>
#include <sstream>

namespace pm::cli {

class CommandListFormatter : public CLI::Formatter {
  public:
    std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override {
        if (mode != CLI::AppFormatMode::All)
            return CLI::Formatter::make_subcommands(app, mode);
        std::string out;
        for (const CLI::App* sub : app->get_subcommands({}))
            out += "\n" + make_expanded(sub);
        return out;
    }

    std::string make_expanded(const CLI::App* sub) const override {
        std::ostringstream out;
        out << "Command " << sub->get_name();
        for (const CLI::Option* arg :
             sub->get_options([](const CLI::Option* o) { return o->get_positional(); }))
            out << " " << arg->get_name(true, false);
        out << ":\n  " << sub->get_description() << "\n\n";
        // Every command has --help; the man page says so once, at the top.
        for (const CLI::Option* opt : sub->get_options([sub](const CLI::Option* o) {
                 return !o->get_positional() && !o->get_group().empty() &&
                        o != sub->get_help_ptr() && o != sub->get_help_all_ptr();
             }))
            out << make_option(opt, false);
        for (const CLI::Option* arg :
             sub->get_options([](const CLI::Option* o) { return o->get_positional(); }))
            out << make_option(arg, true);
        return out.str();
    }
};

}  // namespace pm::cli
