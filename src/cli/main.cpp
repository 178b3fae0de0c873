// portmesa-cli: discovery, monitoring, configuration and firmware upgrade from a shell.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <exception>

#include "app/ListenAddress.h"
#include "cli/Commands.h"

namespace {

void AddTarget(CLI::App* cmd, pm::cli::TargetOptions& t) {
    auto* mac = cmd->add_option("--mac", t.mac,
                                "the switch's MAC address (001122aabbcc or 00:11:22:aa:bb:cc)");
    auto* ip = cmd->add_option("--ip", t.ip, "the switch's current IPv4 address");
    mac->excludes(ip);
    ip->excludes(mac);
    cmd->add_option("--wait", t.waitSeconds, "seconds to look for the switch by discovery")
        ->default_val(3)
        ->check(CLI::Range(0.1, 600.0));
    cmd->add_option("--reply-wait", t.replySeconds, "seconds to wait for the switch's answer")
        ->default_val(5)
        ->check(CLI::Range(0.1, 600.0));
}

}  // namespace

// Nothing ends the program by an exception: whatever escapes a command is told on standard
// error and the run fails, rather than aborting with every result lost.
int main(int argc, char** argv) try {
    std::signal(SIGPIPE, SIG_IGN);
    CLI::App app{
        "Parvex Management Utility, headless: finds, monitors, configures and upgrades the "
        "managed\n"
        "switches of every subnet this machine is on. Reads cfg/define.ecf beside the program;\n"
        "messages go to standard error as 'Caption: text'; the exit code is 0 on success, 1 when\n"
        "the operation failed, 2 on a usage error.",
        "portmesa-cli"};
    app.require_subcommand(1);

    pm::cli::DiscoverOptions discover;
    auto* d = app.add_subcommand("discover",
                                 "send a discovery request and list the switches that answer");
    d->add_option("--wait", discover.waitSeconds, "seconds to collect replies")
        ->default_val(3)
        ->check(CLI::Range(0.1, 600.0));
    d->add_flag("--json", discover.json, "one JSON object per switch instead of a table");
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
    m->add_flag("--json", monitor.json, "one JSON object per refresh");
    m->add_option("--count", monitor.count,
                  "stop after this many refresh reports (default: run until interrupted)")
        ->check(CLI::NonNegativeNumber);
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
    s->add_option("--password", set.password, "the switch's password")->required();
    s->add_option("--new-ip", set.newIp, "new IPv4 address");
    s->add_option("--mask", set.mask, "new subnet mask");
    s->add_option("--gateway", set.gateway, "new gateway (0.0.0.0 for none)");
    s->add_option("--mode", set.mode, "IP mode")
        ->check(CLI::IsMember({"static", "dhcp", "bootp"}, CLI::ignore_case));
    s->add_option("--name", set.name, "system name (at most 20 characters)");
    s->add_option("--location", set.location, "location (at most 30 characters)");
    s->add_option("--group-interval", set.groupInterval,
                  "the switch's group interval: 0 (off) or 120-1225");

    pm::cli::PasswordOptions password;
    auto* p = app.add_subcommand("password", "change a switch's password");
    AddTarget(p, password.target);
    p->add_option("--password", password.original, "the current password")->required();
    p->add_option("--new", password.newPassword, "the new password (1-20 characters)")->required();
    p->add_option("--confirm", password.confirm, "the new password again (default: as --new)");

    pm::cli::DhcpRefreshOptions refresh;
    auto* r = app.add_subcommand("dhcp-refresh", "ask a switch in DHCP mode to renew its address");
    AddTarget(r, refresh.target);
    r->add_option("--password", refresh.password, "the switch's password");

    pm::cli::UpgradeOptions upgrade;
    auto* u = app.add_subcommand("upgrade", "upgrade a switch's firmware over TFTP");
    AddTarget(u, upgrade.target);
    u->add_option("--image", upgrade.image, "the firmware image (.hex or .bin)")->required();
    u->add_option("--password", upgrade.password,
                  "the switch's password (not needed in loader mode)");
    u->add_option("--timeout", upgrade.timeoutSeconds, "give up after this many seconds")
        ->default_val(900)
        ->check(CLI::Range(1.0, 86400.0));

    for (auto* cmd : {s, p, r, u}) {
        cmd->callback([cmd]() {
            if (cmd->get_option("--mac")->count() == 0 && cmd->get_option("--ip")->count() == 0)
                throw CLI::ValidationError("--mac or --ip", "name the switch with --mac or --ip");
        });
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        if (c->parsed())  // a plugin's own usage error is UNKNOWN
            return pm::cli::CheckUsageError(e.what());
        std::fprintf(stderr, "portmesa-cli: %s\n", e.what());
        std::fprintf(stderr, "Run with --help for usage.\n");
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
