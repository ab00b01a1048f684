#pragma once

#include <string_view>

#include "text/Text.h"
#include "ui/Widgets.h"

namespace sowmere::mining {

// The main window's five-column result list: serial, source, keyword, result count, withheld.
// Rows are only ever appended; every cell is a GBK text, empty until set.
class ResultTable {
public:
    static constexpr int kColumns = 5;

    explicit ResultTable(ui::Window& window);

    void appendRow() { m_list.appendRow(); }
    int rowCount() const { return m_list.rowCount(); }
    int columnCount() const { return m_list.columnCount(); }
    void setCell(int row, int column, std::string_view gbkText) {
        m_list.setCell(row, column, gbkText);
    }
    text::Text cellText(int row, int column) const { return m_list.cellText(row, column); }
    // The held text without a copy; valid until the table next changes.
    std::string_view cellView(int row, int column) const { return m_list.cellView(row, column); }

private:
    ui::ReportList m_list;
};

}  // namespace sowmere::mining
