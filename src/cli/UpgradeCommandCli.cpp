// upgrade: the firmware form's whole flow from the command line — trigger, TFTP transfer,
// the search for the restarted switch — with its status as progress lines.
#include <cstdio>
#include <memory>

#include "app/ProgramContexts.h"
#include "cli/Commands.h"
#include "cli/Engine.h"
#include "upgrade/UpgradeCommand.h"
#include "upgrade/UpgradeSession.h"

namespace pm::cli {

int RunUpgrade(const UpgradeOptions& o) {
    Engine e;
    if (e.StartWithTarget(o.target) < 0)
        return 1;
    const UpgradeContext context = UpgradeContextOf(e.program);

    UpgradeView view;
    view.status = [](const std::string& text) {
        std::fprintf(stderr, "Upgrade State: %s\n", text.c_str());
    };
    view.close = [] {};
    view.busy = [](bool) {};
    std::unique_ptr<UpgradeSession> session;
    if (UpgradeCommand(context, [&] {
            session = std::make_unique<UpgradeSession>(context, view);
            session->Open();
        }) != 0)
        return 1;
    if (!session)
        return 1;

    const size_t before = e.ui.Messages().size();
    // An error shown meanwhile by the rest of the program (a socket that could not be opened)
    // ends the wait as a failure too; it carries no upgrade outcome. What datagrams raise does
    // not: any host can send those, and the target's answers reach the outcome themselves.
    auto otherError = [&] {
        for (const auto& m : e.ui.Since(before))
            if (m.icon == Icon::Error && m.cause == Cause::UserCommand)
                return true;
        return false;
    };
    session->Start(o.image, o.password);
    e.RunUntil([&] { return session->Outcome() != UpgradeOutcome::None || otherError(); },
               static_cast<uint64_t>(o.timeoutSeconds * 1000.0));
    const UpgradeOutcome outcome = session->Outcome();
    if (outcome == UpgradeOutcome::None && !otherError())
        e.ui.Notice("The upgrade did not end within the time allowed", "Error", Icon::Error,
                    Owner::NoWindow);
    session->OnFormClosing();
    return outcome == UpgradeOutcome::Succeeded ? 0 : 1;
}

}  // namespace pm::cli
