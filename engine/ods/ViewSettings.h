#pragma once
// The view settings of a spreadsheet (settings.xml, or office:settings of a flat document):
// the rows and columns each table keeps frozen in view.

#include "engine/model/Workbook.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <map>
#include <string>

namespace engine::ods {

// Collects the split settings of the first view's tables; elements outside the view settings
// are ignored, so the handler may see a whole flat document.
class ViewSettingsHandler : public xml::Handler {
public:
    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override;
    void endElement(std::string_view ns, std::string_view local) override;
    void characters(std::string_view text) override;

    // Gives the sheets named in the settings their frozen rows and columns; a table whose
    // panes are split but not frozen, or that no sheet is named after, is left as it is.
    void apply(Workbook& workbook) const;

private:
    struct Split {
        int columnsMode = 0, rowsMode = 0; // 2: frozen
        std::uint32_t columns = 0, rows = 0;
    };
    enum class Item { None, ColumnsMode, RowsMode, Columns, Rows };

    std::map<std::string, Split> tables_;
    // Depths among config elements: of the element being read, of the map of views, of the
    // first view's entry and of its map of tables; 0 outside each.
    int depth_ = 0, viewsDepth_ = 0, viewDepth_ = 0, tablesDepth_ = 0;
    bool viewSeen_ = false;  // the first view is read: later ones are other windows
    Split* table_ = nullptr; // the table entry being read
    Item item_ = Item::None;
    std::string value_;
};

} // namespace engine::ods
