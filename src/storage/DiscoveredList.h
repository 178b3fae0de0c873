#pragma once
// The switches of a discovery written as a monitor list file, in the window's record format,
// as if every discovery row had been added to an empty monitor list and then saved: the
// window's "Monitor load" and `portmesa-cli monitor` read it back.
#include <string>

#include "base/Settings.h"
#include "base/Ui.h"
#include "inventory/DeviceLists.h"
#include "storage/AtomicFile.h"

namespace pm {

// Works on a copy: the caller's lists stay as they are. The add's own refusals (the same
// address twice) are shown as the window shows them. No password byte reaches the file.
// With ExistingFile::Keep an existing file is left untouched (result Exists).
FileWriteResult SaveDiscoveredAsMonitorList(const DeviceLists& lists, const Settings& settings,
                                            Ui& ui, const std::string& path, ExistingFile existing);

}  // namespace pm
