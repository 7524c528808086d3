#pragma once
// Reads the parts of a spreadsheet document (styles.xml, content.xml, or a flat document that
// holds both) into the workbook: styles go to the style table, tables become sheets.

#include "engine/model/Workbook.h"
#include "engine/ods/StyleTable.h"
#include "engine/ods/TableReader.h"
#include "engine/xml/XmlParser.h"

#include <memory>
#include <string>

namespace engine::ods {

class DocumentHandler : public xml::Handler {
public:
    // Without `loadObject`, embedded objects (charts) are left out.
    DocumentHandler(Workbook& workbook, StyleTable& styles, const PictureLoader& loadPicture,
                    const ObjectLoader* loadObject = nullptr);
    ~DocumentHandler() override;

    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override;
    void endElement(std::string_view ns, std::string_view local) override;
    void characters(std::string_view text) override;

    // Whether a root element of a document was seen, and whether it held a spreadsheet body.
    bool sawRoot() const { return sawRoot_; }
    bool sawSpreadsheet() const { return sawSpreadsheet_; }

private:
    TableContext context_;
    StyleTable& styles_;
    std::unique_ptr<TableReader> table_;
    std::size_t depth_ = 0;
    std::size_t tableDepth_ = 0;     // depth of the open table:table element
    std::size_t stylesDepth_ = 0;    // depth of office:styles / office:automatic-styles
    std::size_t styleDepth_ = 0;     // depth of the open style:style element
    std::size_t dataStyleDepth_ = 0; // depth of the open number:*-style element
    bool inSpreadsheet_ = false;
    bool sawRoot_ = false;
    bool sawSpreadsheet_ = false;
};

} // namespace engine::ods
