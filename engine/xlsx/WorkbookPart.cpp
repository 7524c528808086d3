#include "engine/xlsx/WorkbookPart.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/PartReader.h"
#include "engine/package/XmlValues.h"

namespace engine::xlsx {
namespace {

class WorkbookHandler : public xml::Handler {
public:
    explicit WorkbookHandler(package::WorkbookInfo& info) : info_(info) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (depth_++ == 0) {
            // Stop at once: the main part of another kind of document may be large.
            if (local != "workbook")
                throw ReadError(ReadError::Kind::NotWorkbook,
                                "the package's main part is not a spreadsheet workbook");
            return;
        }
        if (local == "workbookPr") {
            if (package::parseBool(attributes.value("date1904"), false))
                info_.dateSystem = DateSystem::Date1904;
        } else if (local == "calcPr") {
            info_.fullCalcOnLoad = package::parseBool(attributes.value("fullCalcOnLoad"), false);
        } else if (local == "definedName") {
            inName_ = info_.definedNames.size() < limits::maxSheets * 64;
            if (inName_) {
                DefinedName& name = info_.definedNames.emplace_back();
                name.name = attributes.value("name");
                if (const auto sheet =
                        package::parseUnsigned(attributes.value("localSheetId"), limits::maxSheets))
                    name.sheet = static_cast<std::uint32_t>(*sheet);
            }
        } else if (local == "sheets") {
            inSheets_ = true;
        } else if (local == "sheet" && inSheets_) {
            if (info_.sheets.size() >= limits::maxSheets)
                throw ReadError(ReadError::Kind::Damaged, "the workbook lists more than " +
                                                              std::to_string(limits::maxSheets) +
                                                              " sheets");
            package::SheetEntry entry;
            entry.name = attributes.value("name");
            entry.relationshipId = attributes.value("id");
            const std::string_view state = attributes.value("state");
            entry.visibility = state == "hidden"       ? Visibility::Hidden
                               : state == "veryHidden" ? Visibility::VeryHidden
                                                       : Visibility::Visible;
            info_.sheets.push_back(std::move(entry));
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        --depth_;
        if (local == "sheets")
            inSheets_ = false;
        else if (local == "definedName")
            inName_ = false;
    }

    void characters(std::string_view text) override {
        if (inName_ &&
            info_.definedNames.back().formula.size() + text.size() <= limits::maxTextBytes)
            info_.definedNames.back().formula.append(text);
    }

private:
    package::WorkbookInfo& info_;
    std::size_t depth_ = 0;
    bool inSheets_ = false, inName_ = false;
};

} // namespace

package::WorkbookInfo readWorkbookPart(const zip::ZipArchive& archive, const std::string& part) {
    package::WorkbookInfo info;
    WorkbookHandler handler(info);
    package::parsePart(archive, part, handler, limits::maxSmallPartBytes);
    return info;
}

} // namespace engine::xlsx
