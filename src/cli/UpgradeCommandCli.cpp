// upgrade: the firmware form's whole flow from the command line — trigger, TFTP transfer,
// the search for the restarted switch — with its status as progress lines.
#include <cstdio>
#include <memory>

#include "cli/Commands.h"
#include "cli/Engine.h"
#include "upgrade/UpgradeCommand.h"
#include "upgrade/UpgradeSession.h"

namespace pm::cli {
namespace {

bool IsFailureStatus(const std::string& status) {
    return status == "Trigger fail" || status == "Device not found" ||
           status.rfind("Firmware upgrade failed", 0) == 0;
}

}  // namespace

int RunUpgrade(const UpgradeOptions& o) {
    Engine e;
    if (e.StartWithTarget(o.target) < 0)
        return 1;
    Program& p = e.program;

    std::string status;
    bool failed = false;
    UpgradeView view;
    view.status = [&](const std::string& text) {
        status = text;
        std::fprintf(stderr, "Upgrade State: %s\n", text.c_str());
        if (IsFailureStatus(text))
            failed = true;
    };
    view.close = [] {};
    view.busy = [](bool) {};
    std::unique_ptr<UpgradeSession> session;
    if (UpgradeCommand(p, [&] {
            session = std::make_unique<UpgradeSession>(p, view);
            session->Open();
        }) != 0)
        return 1;
    if (!session)
        return 1;

    const size_t before = e.ui.Messages().size();
    session->Start(o.image, o.password);
    int outcome = -1;
    e.RunUntil(
        [&] {
            for (const auto& m : e.ui.Since(before)) {
                if (m.text == "Upgrade successful")
                    outcome = 0;
                if (m.text == "Upgrade fail" || m.icon == Icon::Error)
                    outcome = 1;
            }
            if (outcome < 0 && failed)
                outcome = 1;
            return outcome >= 0;
        },
        static_cast<uint64_t>(o.timeoutSeconds * 1000.0));
    if (outcome < 0) {
        e.ui.Notice("The upgrade did not end within the time allowed", "Error", Icon::Error,
                    Owner::NoWindow);
        outcome = 1;
    }
    session->OnFormClosing();
    return outcome;
}

}  // namespace pm::cli
