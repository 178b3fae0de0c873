#pragma once
// The pieces of the program a firmware upgrade works with.
#include "app/Program.h"
#include "upgrade/UpgradeContext.h"

namespace pm {

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
        .configFolder = program.configFolder,
    };
}

}  // namespace pm
