#pragma once
#include "inventory/DeviceLists.h"

namespace pm {

// A column click on either list: toggles sortAscending, the program's sort direction (1
// ascending; the first click after start-up sorts descending), and reorders the rows only,
// never the tables. The monitor list's status column sorts by image; "Group Interval" does
// not sort.
void SortList(DeviceLists& lists, int& sortAscending, ListKind list, int column);

}  // namespace pm
