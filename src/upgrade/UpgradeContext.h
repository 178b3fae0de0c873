#pragma once
// What a firmware upgrade works with: the upgrade's target and flags, the device tables and
// the selection that chose the switch, and the ports it sends, waits and reports through.
// Every member refers to state that outlives the upgrade; the context itself is copied freely.
#include <cstdint>
#include <string>

#include "base/EventLoop.h"
#include "base/Settings.h"
#include "base/Ui.h"
#include "inventory/DeviceLists.h"
#include "inventory/Selection.h"
#include "net/InterfaceSource.h"
#include "net/Transport.h"
#include "protocol/UpgradeWatch.h"
#include "storage/EventLog.h"

namespace pm {

struct UpgradeContext {
    const Settings& settings;  // the header identifier of every request
    DeviceLists& lists;        // the search after the upgrade empties the discovery table
    const SelectionContext& selection;
    UpgradeWatch& watch;       // the target and what the receiver has seen of it
    const uint16_t& sequence;  // the request sequence counter, advanced by the receiver
    Transport& transport;
    InterfaceSource& interfaces;  // the local addresses, for the subnet check
    EventLoop& loop;
    Ui& ui;
    const std::string& logFolder;  // where the event log is written
    EventLogState& eventLog;
};

}  // namespace pm
