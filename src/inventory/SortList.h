#pragma once
#include "app/Program.h"

namespace pm {

// A column click on either list: toggles the program's sort direction (the first click
// after start-up sorts descending) and reorders the rows only, never the tables. The
// monitor list's status column sorts by image; "Group Interval" does not sort.
void SortList(Program& p, ListKind list, int column);

}  // namespace pm
