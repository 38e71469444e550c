#include "library/SelectedRow.h"

namespace vidlark {

std::optional<TSelectedRow> SelectedRow(const QTreeWidget& list)
{
    const QList<QTreeWidgetItem*> rows = list.selectedItems();
    if (rows.isEmpty())
        return std::nullopt;
    const QTreeWidgetItem& row = *rows.front();
    return TSelectedRow{row.text(0).toStdString(), row.text(1).toStdString(), row.text(2).toStdString()};
}

} // namespace vidlark
