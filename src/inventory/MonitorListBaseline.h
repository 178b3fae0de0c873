#pragma once
// Whether the monitor list differs from the one last saved or loaded, so that quitting can
// offer to save it. A list differs when the entries that a save would write name other
// switches or addresses, or stand in another order; what polls and replies refresh in an
// entry (counters, status mark, names) is not a change.
#include <string>
#include <vector>

#include "inventory/DeviceLists.h"

namespace pm {

class MonitorListBaseline {
  public:
    // The list as it stands is the saved one.
    void Mark(const DeviceLists& lists);
    bool Changed(const DeviceLists& lists) const;

  private:
    static std::vector<std::string> Keys(const DeviceLists& lists);
    std::vector<std::string> keys_;
};

}  // namespace pm
