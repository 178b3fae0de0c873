#include "cli/MetricsExport.h"

#include <cerrno>
#include <cstring>

#include "app/ListenAddress.h"
#include "app/MetricsText.h"
#include "storage/AtomicFile.h"

namespace pm::cli {

bool MetricsExport::Start(const MonitorOptions& o, const Program& p, Ui& ui) {
    active_ = !o.metricsFile.empty() || !o.listen.empty();
    if (!active_)
        return true;
    file_ = o.metricsFile;
    Observe(p);
    if (!o.listen.empty()) {
        const auto where = ParseListenAddress(o.listen);  // checked when the options were read
        errno = 0;
        if (!where || !server_.Start(*where, RenderMetrics(p.lists, times_, ticks_))) {
            const std::string why = errno != 0 ? std::string(": ") + std::strerror(errno) : "";
            ui.Notice("Cannot listen on " + o.listen + why, "Error", Icon::Error, Owner::NoWindow);
            return false;
        }
        serving_ = true;
    }
    Export(p, ui);
    return true;
}

void MetricsExport::Observe(const Program& p) {
    if (active_)
        times_.Observe(p.lists, p.loop.NowUs(), p.wallClock());
}

void MetricsExport::Tick(const Program& p, Ui& ui) {
    if (!active_)
        return;
    ++ticks_;
    Export(p, ui);
}

void MetricsExport::Export(const Program& p, Ui& ui) {
    std::string text = RenderMetrics(p.lists, times_, ticks_);
    if (!file_.empty()) {
        const FileWriteResult r =
            WriteFileAtomically(file_, text, ExistingFile::Replace, Durability::ReadersOnly);
        if (!r.Ok() && !fileFailed_)
            ui.Notice("Cannot write the metrics file " + file_ + ": " + std::strerror(r.error),
                      "Error", Icon::Error, Owner::NoWindow);
        fileFailed_ = !r.Ok();
    }
    if (serving_)
        server_.Publish(std::move(text));
}

}  // namespace pm::cli
