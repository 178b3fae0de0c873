// portmesa-cli: discovery, monitoring, configuration and firmware upgrade from a shell.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <list>

#include "app/ListenAddress.h"
#include "cli/Commands.h"
#include "cli/HelpFormat.h"
#include "cli/OptionChecks.h"
#include "cli/PasswordSource.h"

#ifndef PORTMESA_VERSION
#define PORTMESA_VERSION "unknown"
#endif

namespace {

using pm::cli::Ipv4Check;
using pm::cli::MacCheck;
using pm::cli::NumberCheck;

void AddTarget(CLI::App* cmd, pm::cli::TargetOptions& t) {
    auto* mac = cmd->add_option("--mac", t.mac,
                                "the switch's MAC address (001122aabbcc or 00:11:22:aa:bb:cc)")
                    ->check(MacCheck());
    auto* ip =
        cmd->add_option("--ip", t.ip, "the switch's current IPv4 address")->check(Ipv4Check());
    mac->excludes(ip);
    ip->excludes(mac);
    cmd->add_option("--wait", t.waitSeconds, "seconds to look for the switch by discovery")
        ->default_val(3)
        ->check(NumberCheck(0.1, 600.0));
    cmd->add_option("--reply-wait", t.replySeconds, "seconds to wait for the switch's answer")
        ->default_val(5)
        ->check(NumberCheck(0.1, 600.0));
}

// A password that `ps` and the shell's history need not see: --password-file FILE, or "-"
// for a line of standard input. Read once the command line has been checked.
struct PasswordFile {
    CLI::App* command = nullptr;
    CLI::Option* text = nullptr;
    CLI::Option* file = nullptr;
    std::string path;
    std::string* password = nullptr;
    bool required = false;
};

void AddPasswordFile(std::list<PasswordFile>& all, CLI::App* cmd, CLI::Option* text,
                     std::string& password, const std::string& name, const std::string& what,
                     bool required) {
    PasswordFile& f = all.emplace_back();
    f.command = cmd;
    f.text = text;
    f.password = &password;
    f.required = required;
    f.file = cmd->add_option(name, f.path,
                             "read " + what + " from the first line of FILE ('-': standard input)")
                 ->type_name("FILE");
    f.file->excludes(text);
    text->excludes(f.file);
}

}  // namespace

// Nothing ends the program by an exception: whatever escapes a command is told on standard
// error and the run fails, rather than aborting with every result lost.
int main(int argc, char** argv) try {
    std::signal(SIGPIPE, SIG_IGN);
    CLI::App app{
        "Parvex Management Utility, headless: finds, monitors, configures and upgrades the "
        "managed\n"
        "switches of every subnet this machine is on. Messages go to standard error as\n"
        "'portmesa-cli: error: ...' (or warning, info); the exit code is 0 on success, 1 when\n"
        "the operation failed, 2 on a usage error.",
        "portmesa-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "portmesa-cli " PORTMESA_VERSION);
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    app.formatter(std::make_shared<pm::cli::CommandListFormatter>());
    std::list<PasswordFile> passwordFiles;

    pm::cli::DiscoverOptions discover;
    auto* d = app.add_subcommand("discover",
                                 "send a discovery request and list the switches that answer");
    d->add_option("--wait", discover.waitSeconds, "seconds to collect replies")
        ->default_val(3)
        ->check(NumberCheck(0.1, 600.0));
    auto* json = d->add_flag("--json", discover.json,
                             "one JSON array of the switches, sorted by MAC, instead of a table");
    d->add_flag("--json-lines", discover.jsonLines, "one JSON object per line, sorted by MAC")
        ->excludes(json);
    auto* save = d->add_option("--save", discover.saveFile,
                               "also write the switches found as a monitor list file (for "
                               "monitor and the window)");
    d->add_flag("--force", discover.force, "let --save replace an existing file")->needs(save);

    pm::cli::MonitorOptions monitor;
    auto* m = app.add_subcommand(
        "monitor", "poll the switches of a monitor list file and report each refresh");
    m->add_option("FILE", monitor.file, "a monitor list file (as saved by the utility)")
        ->required()
        ->check(CLI::ExistingFile);
    m->add_flag("--json-lines,--json", monitor.json, "one JSON object per refresh, one per line");
    m->add_option("--count", monitor.count,
                  "stop after this many refresh reports (default: run until interrupted)")
        ->check(CLI::Range(0, 1000000));
    m->add_option(
         "--refresh", monitor.refreshSeconds,
         "refresh period in seconds for this run (default: 15 s reports, polls by the settings)")
        ->check(CLI::Range(1, 3600));
    m->add_option("--metrics-file", monitor.metricsFile,
                  "rewrite this Prometheus textfile-collector file after each refresh");
    m->add_option("--listen", monitor.listen,
                  "serve the metrics at http://ADDRESS:PORT/metrics (PORT alone: 127.0.0.1)")
        ->check(CLI::Validator(
            [](const std::string& text) {
                return pm::ParseListenAddress(text) ? std::string()
                                                    : "expected PORT or ADDRESS:PORT";
            },
            "[ADDRESS:]PORT"));

    pm::cli::CheckOptions check;
    auto* c =
        app.add_subcommand("check",
                           "poll one switch once, as a Nagios/Icinga plugin (exit 0 OK, 1 WARNING, "
                           "2 CRITICAL, 3 UNKNOWN)");
    auto* checkMac = c->add_option("--mac", check.mac, "the switch's MAC address");
    auto* checkIp = c->add_option("--ip", check.ip, "the switch's IPv4 address");
    checkMac->excludes(checkIp);
    checkIp->excludes(checkMac);
    c->add_option("--timeout", check.timeoutSeconds, "seconds to wait for the answer")
        ->default_val(10)
        ->check(CLI::Range(0.1, 600.0));
    c->add_option("--warning", check.warningMs, "WARNING when the answer takes longer (ms)")
        ->check(CLI::Range(0.0, 3600000.0));
    c->add_option("--critical", check.criticalMs, "CRITICAL when the answer takes longer (ms)")
        ->check(CLI::Range(0.0, 3600000.0));
    c->callback([checkMac, checkIp] {
        if (checkMac->count() == 0 && checkIp->count() == 0)
            throw CLI::ValidationError("--mac or --ip", "name the switch with --mac or --ip");
    });

    pm::cli::SetOptions set;
    auto* s =
        app.add_subcommand("set", "change a switch's addressing, names, IP mode or group interval");
    AddTarget(s, set.target);
    AddPasswordFile(passwordFiles, s,
                    s->add_option("--password", set.password, "the switch's password"),
                    set.password, "--password-file", "the password", true);
    s->add_option("--new-ip", set.newIp, "new IPv4 address")->check(Ipv4Check());
    s->add_option("--mask", set.mask, "new subnet mask")->check(Ipv4Check());
    s->add_option("--gateway", set.gateway, "new gateway (0.0.0.0 for none)")->check(Ipv4Check());
    s->add_option("--mode", set.mode, "IP mode")
        ->check(CLI::IsMember({"static", "dhcp", "bootp"}, CLI::ignore_case));
    s->add_option("--name", set.name, "system name (at most 20 characters)");
    s->add_option("--location", set.location, "location (at most 30 characters)");
    s->add_option("--group-interval", set.groupInterval,
                  "the switch's group interval: 0 (off) or 120-1225")
        ->check(pm::cli::WholeNumberCheck());

    pm::cli::PasswordOptions password;
    auto* p = app.add_subcommand("password", "change a switch's password");
    AddTarget(p, password.target);
    AddPasswordFile(passwordFiles, p,
                    p->add_option("--password", password.original, "the current password"),
                    password.original, "--password-file", "the current password", true);
    AddPasswordFile(
        passwordFiles, p,
        p->add_option("--new", password.newPassword, "the new password (1-20 characters)"),
        password.newPassword, "--new-file", "the new password", true);
    p->add_option("--confirm", password.confirm, "the new password again (default: as --new)");

    pm::cli::DhcpRefreshOptions refresh;
    auto* r = app.add_subcommand("dhcp-refresh", "ask a switch in DHCP mode to renew its address");
    AddTarget(r, refresh.target);
    AddPasswordFile(passwordFiles, r,
                    r->add_option("--password", refresh.password, "the switch's password"),
                    refresh.password, "--password-file", "the password", false);

    pm::cli::UpgradeOptions upgrade;
    auto* u = app.add_subcommand("upgrade", "upgrade a switch's firmware over TFTP");
    AddTarget(u, upgrade.target);
    u->add_option("--image", upgrade.image, "the firmware image (.hex or .bin)")
        ->required()
        ->check(CLI::ExistingFile);
    AddPasswordFile(passwordFiles, u,
                    u->add_option("--password", upgrade.password,
                                  "the switch's password (not needed in loader mode)"),
                    upgrade.password, "--password-file", "the password", false);
    u->add_option("--timeout", upgrade.timeoutSeconds, "give up after this many seconds")
        ->default_val(900)
        ->check(NumberCheck(1.0, 86400.0));
    u->add_flag("--quiet,-q", upgrade.quiet,
                "no progress, status or information lines; errors and warnings still show");

    pm::cli::PasswordSource passwordSource(std::cin);
    for (auto* cmd : {s, p, r, u}) {
        cmd->callback([cmd, &passwordFiles, &passwordSource]() {
            if (cmd->get_option("--mac")->count() == 0 && cmd->get_option("--ip")->count() == 0)
                throw CLI::ValidationError("--mac or --ip", "name the switch with --mac or --ip");
            // In the order given above, so that two "-" take the lines of standard input in
            // that order.
            for (PasswordFile& f : passwordFiles) {
                if (f.command != cmd)
                    continue;
                if (f.file->count() == 0) {
                    if (f.required && f.text->count() == 0)
                        throw CLI::ValidationError(
                            f.text->get_name(),
                            f.text->get_name() + " or " + f.file->get_name() + " is required");
                    continue;
                }
                std::string error;
                const auto read = passwordSource.Read(f.path, error);
                if (!read)
                    throw CLI::ValidationError(f.file->get_name(), error);
                *f.password = *read;
            }
        });
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        if (c->parsed())  // a plugin's own usage error is UNKNOWN
            return pm::cli::CheckUsageError(e.what());
        std::fprintf(stderr, "portmesa-cli: error: %s\n", e.what());
        std::fprintf(stderr, "Run 'portmesa-cli --help' for usage.\n");
        return 2;
    }

    if (d->parsed())
        return pm::cli::RunDiscover(discover);
    if (m->parsed())
        return pm::cli::RunMonitor(monitor);
    if (c->parsed())
        return pm::cli::RunCheck(check);
    if (s->parsed())
        return pm::cli::RunSet(set);
    if (p->parsed())
        return pm::cli::RunPassword(password);
    if (r->parsed())
        return pm::cli::RunDhcpRefresh(refresh);
    if (u->parsed())
        return pm::cli::RunUpgrade(upgrade);
    return 2;
} catch (const std::exception& e) {
    std::fprintf(stderr, "portmesa-cli: internal error: %s\n", e.what());
    return 1;
} catch (...) {
    std::fprintf(stderr, "portmesa-cli: internal error\n");
    return 1;
}
