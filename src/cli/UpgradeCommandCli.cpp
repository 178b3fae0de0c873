// upgrade: the firmware form's whole flow from the command line — trigger, TFTP transfer,
// the search for the restarted switch — ending where the form's upgrade ends.
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "app/ProgramContexts.h"
#include "cli/Commands.h"
#include "cli/Engine.h"
#include "cli/UpgradeProgress.h"
#include "upgrade/UpgradeCommand.h"
#include "upgrade/UpgradeSession.h"

namespace pm::cli {
namespace {

void WriteErr(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace

int RunUpgrade(const UpgradeOptions& o) {
    Engine e;
    e.ui.showInfo = !o.quiet;
    if (e.StartWithTarget(o.target) < 0)
        return 1;
    const UpgradeContext context = UpgradeContextOf(e.program);

    ProgressReport progress(::isatty(STDERR_FILENO) ? ProgressStyle::InPlace : ProgressStyle::Lines,
                            WriteErr);
    e.ui.beforeOutput = [&] { progress.Break(); };
    UpgradeView view;
    view.status = [&](const std::string& text) {
        // The form's status, blanked after an error packet whose text is shown anyway.
        if (o.quiet || text.find_first_not_of(' ') == std::string::npos)
            return;
        progress.Break();
        WriteErr(FormatMessage(text, "Upgrade State", Icon::Information) + "\n");
    };
    view.close = [] {};
    view.busy = [](bool) {};
    std::unique_ptr<UpgradeSession> session;
    if (UpgradeCommand(context, [&] {
            session = std::make_unique<UpgradeSession>(context, view);
            session->ShowProgress([&](uint32_t sent, uint32_t size) {
                if (!o.quiet)
                    progress.Update(sent, size, e.loop.NowMs());
            });
            session->Open();
        }) != 0)
        return 1;
    if (!session)
        return 1;

    session->Start(o.image, o.password);
    e.RunUntil([&] { return session->Ended(); }, static_cast<uint64_t>(o.timeoutSeconds * 1000.0));
    const bool ended = session->Ended();
    const UpgradeOutcome outcome = session->Outcome();
    session->OnFormClosing();
    progress.Break();
    e.ui.beforeOutput = nullptr;
    if (!ended) {
        e.ui.Notice("The upgrade did not end within the time allowed", "Error", Icon::Error,
                    Owner::NoWindow);
        return 1;
    }
    return outcome == UpgradeOutcome::Succeeded ? 0 : 1;
}

}  // namespace pm::cli
