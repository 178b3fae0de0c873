#include "inventory/SortList.h"

#include "inventory/RowBuilders.h"

namespace pm {

void SortList(DeviceLists& lists, int& sortAscending, ListKind list, int column) {
    sortAscending = sortAscending ? 0 : 1;
    const bool ascending = sortAscending == 1;
    if (list == ListKind::Monitor) {
        if (column == kMonStatus)
            lists.monitorList.SortRows(column, true, ascending);
        else if (column > kMonStatus && column < kMonGroupInterval)
            lists.monitorList.SortRows(column, false, ascending);
    } else if (column >= kDiscMac && column < kDiscGroupInterval) {
        lists.discoveryList.SortRows(column, false, ascending);
    }
}

}  // namespace pm
