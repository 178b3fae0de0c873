#pragma once
// The program's pieces that the configuration requests and the group report timer use, as
// the contexts config/ takes them.
#include "app/Program.h"
#include "config/GroupInterval.h"
#include "config/SetRequest.h"

namespace pm {

inline SetRequestContext SetRequestContextOf(Program& program) {
    return {program.settings, program.lists, program.selection, program.sequence,
            program.pending,  program.net,   program.ui};
}

inline GroupReportContext GroupReportContextOf(Program& program) {
    return {program.loop, program.net, program.settings, program.groupReport};
}

inline GroupIntervalContext GroupIntervalContextOf(Program& program) {
    return {program.ui,   program.configFolder, program.settings,
            program.loop, program.net,          program.groupReport};
}

}  // namespace pm
