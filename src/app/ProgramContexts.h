#pragma once
// The program's pieces as each layer below takes them: the composition root hands out the
// contexts, the layers never see the Program.
#include "app/Program.h"
#include "config/GroupInterval.h"
#include "config/SetRequest.h"
#include "protocol/ReceiverContext.h"
#include "upgrade/UpgradeContext.h"

namespace pm {

inline ReceiverContext ReceiverOf(Program& program) {
    return {program.settings, program.lists,   program.staging, program.sequence,
            program.pending,  program.upgrade, program.ui};
}

inline SetRequestContext SetRequestContextOf(Program& program) {
    return {program.settings, program.lists, program.selection, program.sequence,
            program.pending,  program.net,   program.ui};
}

// For the switch a form is bound to, found again by its MAC (config/SetRequest.h).
inline SetRequestContext SetRequestContextOf(Program& program, const SelectionContext& target) {
    return {program.settings, program.lists, target,    program.sequence,
            program.pending,  program.net,   program.ui};
}

inline GroupReportContext GroupReportContextOf(Program& program) {
    return {program.loop, program.net, program.settings, program.groupReport};
}

inline GroupIntervalContext GroupIntervalContextOf(Program& program) {
    return {program.ui,   program.configFolder, program.settings,
            program.loop, program.net,          program.groupReport};
}

inline UpgradeContext UpgradeContextOf(Program& program) {
    return UpgradeContext{
        .settings = program.settings,
        .lists = program.lists,
        .selection = program.selection,
        .watch = program.upgrade,
        .sequence = program.sequence,
        .transport = program.net,
        .interfaces = program.interfaces,
        .loop = program.loop,
        .ui = program.ui,
        .logFolder = program.LogFolder(),
        .eventLog = program.eventLog,
    };
}

}  // namespace pm
