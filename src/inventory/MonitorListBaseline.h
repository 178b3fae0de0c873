#pragma once
// Whether the monitor list differs from the one last saved or loaded, so that quitting can
// offer to save it. The list is its addresses, as polling and the next start use them: it
// differs when the entries a save would write hold other addresses or stand in another
// order. What polls and replies refresh in an entry (counters, status mark, names, the MAC
// that the first reply fills in for an entry added by address) is not a change.
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
