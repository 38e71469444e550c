#pragma once
// The library list's selected row, as the selection handlers read it.

#include <QTreeWidget>

#include <optional>
#include <string>

namespace vidlark {

struct TSelectedRow {
    std::string Name;     // caption: the file name with extension
    std::string SizeText; // column 1
    std::string Title;    // column 2
};

// The first selected row of the list, if any.
std::optional<TSelectedRow> SelectedRow(const QTreeWidget& list);

} // namespace vidlark
