#include "engine/xlsx/XlsxReader.h"

#include "engine/base/ReadError.h"
#include "engine/drawingml/DrawingObjects.h"
#include "engine/package/Colors.h"
#include "engine/package/CoreProperties.h"
#include "engine/package/Relationships.h"
#include "engine/package/ThreadedCommentsPart.h"
#include "engine/package/WorkbookPackage.h"
#include "engine/xlsx/CellMetadata.h"
#include "engine/xlsx/ConditionalFormats.h"
#include "engine/xlsx/Fonts.h"
#include "engine/xlsx/SharedStrings.h"
#include "engine/xlsx/StylesPart.h"
#include "engine/xlsx/TableParts.h"
#include "engine/xlsx/WorkbookPart.h"
#include "engine/xlsx/WorksheetPart.h"
#include "engine/zip/ZipArchive.h"

namespace engine::xlsx {
namespace {

// Part names and relationship kinds (ECMA-376-2 §9.3 package relationships, ECMA-376-1 §12.3
// SpreadsheetML parts).
constexpr std::string_view conventionalWorkbook = "xl/workbook.xml";

[[noreturn]] void notWorkbook(std::string detail) {
    throw ReadError(ReadError::Kind::NotWorkbook, std::move(detail));
}

[[noreturn]] void damaged(std::string detail) {
    throw ReadError(ReadError::Kind::Damaged, std::move(detail));
}

std::string findWorkbookPart(const zip::ZipArchive& archive) {
    if (archive.entryCount() == 0)
        notWorkbook("the ZIP archive is empty");
    const std::optional<package::Relationship> main =
        package::mainPart(archive, conventionalWorkbook);
    if (!main)
        notWorkbook("the package holds no workbook part");
    if (main->external || main->target.empty())
        damaged("the package's main part '" + main->target + "' is not inside the package");
    return main->target;
}

} // namespace

Workbook readPackage(std::span<const std::uint8_t> bytes) {
    const zip::ZipArchive archive(bytes);
    const std::string workbookPart = findWorkbookPart(archive);
    // A binary workbook part (.xlsb) is a different format altogether.
    if (package::isBinaryPartName(workbookPart))
        notWorkbook("binary workbooks are not supported");
    package::requireWorkbookPart(archive, workbookPart);

    const package::WorkbookInfo info = readWorkbookPart(archive, workbookPart);
    const package::WorkbookPackage parts(archive, workbookPart);

    Workbook workbook;
    workbook.dateSystem = info.dateSystem;
    workbook.fullCalcOnLoad = info.fullCalcOnLoad;
    workbook.definedNames = info.definedNames;
    workbook.language = package::readDocumentLanguage(archive);
    package::Colors colors = parts.themeColors();
    if (const package::Relationship* styles = parts.internalPart("styles")) {
        readStyles(archive, styles->target, colors, workbook);
        readDifferentialStyles(archive, styles->target, colors, workbook);
    }
    if (workbook.fonts.empty())
        workbook.fonts.emplace_back();
    FontTable fonts(workbook.fonts);
    if (const package::Relationship* strings = parts.internalPart("sharedStrings"))
        readSharedStrings(archive, strings->target, colors, fonts, workbook);
    const package::Persons persons = parts.persons();

    SheetContext context{archive, colors, fonts, workbook, 0, 0, {}, {}};
    if (const package::Relationship* metadata = parts.internalPart("sheetMetadata")) {
        context.dynamicArrays = readCellMetadata(archive, metadata->target);
        const package::Relationship* values = parts.internalPart("rdRichValue");
        const package::Relationship* structures = parts.internalPart("rdRichValueStructure");
        if (values && structures)
            context.richErrors =
                readRichValueErrors(archive, metadata->target, values->target, structures->target);
    }
    parts.readSheets(info, workbook, [&](Sheet& sheet, const std::string& part) {
        if (sheet.kind == SheetKind::Chart)
            drawingml::readChartSheet(archive, part, colors, workbook.dateSystem, sheet);
        if (sheet.kind != SheetKind::Worksheet)
            return;
        readWorksheet(context, part, sheet);
        package::readThreadedComments(archive, part, persons, sheet);
        readTables(archive, part, static_cast<std::uint32_t>(workbook.sheets.size() - 1), workbook);
    });
    workbook.finish();
    return workbook;
}

} // namespace engine::xlsx
