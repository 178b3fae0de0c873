#include "inventory/SortList.h"

#include "inventory/RowBuilders.h"

namespace pm {

void SortList(Program& p, ListKind list, int column) {
    p.sortAscending = p.sortAscending ? 0 : 1;
    const bool ascending = p.sortAscending == 1;
    if (list == ListKind::Monitor) {
        if (column == kMonStatus)
            p.lists.monitorList.SortRows(column, true, ascending);
        else if (column > kMonStatus && column < kMonGroupInterval)
            p.lists.monitorList.SortRows(column, false, ascending);
    } else if (column >= kDiscMac && column < kDiscGroupInterval) {
        p.lists.discoveryList.SortRows(column, false, ascending);
    }
}

}  // namespace pm
