#pragma once
// A fresh program with recording fakes, for one test.
#include <cstdio>
#include <string>

#include "app/Program.h"
#include "support/FakeInterfaceSource.h"
#include "support/FakeTransport.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "support/VirtualLoop.h"

namespace pm::test {

struct TestProgram {
    FakeUi ui;
    VirtualLoop loop;
    FakeTransport net;
    FakeInterfaceSource interfaces;
    TempDir dir;
    Program program{ui, loop, net, interfaces};

    TestProgram() {
        program.configFolder = dir.path().string();
        program.settings.header_id = 0x0000ABCD;
        program.settings.base_port = 4000;
        program.settings.DerivePorts();
        program.settings.multicast_interface_on_off = 1;
        program.settings.refresh_time = 15;
        std::snprintf(program.settings.multicast_group, sizeof program.settings.multicast_group,
                      "239.255.77.77");
    }
};

}  // namespace pm::test
