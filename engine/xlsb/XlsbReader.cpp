#include "engine/xlsb/XlsbReader.h"

#include "engine/base/ReadError.h"
#include "engine/drawingml/DrawingObjects.h"
#include "engine/package/Colors.h"
#include "engine/package/Relationships.h"
#include "engine/package/WorkbookPackage.h"
#include "engine/xlsb/CommentsBin.h"
#include "engine/xlsb/SharedStringsBin.h"
#include "engine/xlsb/StylesBin.h"
#include "engine/xlsb/TablesBin.h"
#include "engine/xlsb/WorkbookBin.h"
#include "engine/xlsb/WorksheetBin.h"
#include "engine/zip/ZipArchive.h"

namespace engine::xlsb {
namespace {

constexpr std::string_view conventionalWorkbook = "xl/workbook.bin";

// The binary workbook part of the package; empty when the package has none.
std::string findWorkbookPart(const zip::ZipArchive& archive) {
    if (archive.entryCount() == 0)
        return {};
    const std::optional<package::Relationship> main =
        package::mainPart(archive, conventionalWorkbook);
    return main && !main->external && package::isBinaryPartName(main->target) ? main->target
                                                                              : std::string();
}

} // namespace

bool isBinaryPackage(std::span<const std::uint8_t> bytes) {
    try {
        const zip::ZipArchive archive(bytes);
        return !findWorkbookPart(archive).empty();
    } catch (const ReadError&) {
        return false;
    }
}

Workbook readBinaryPackage(std::span<const std::uint8_t> bytes, formula::tokens::FormulaText text) {
    const zip::ZipArchive archive(bytes);
    const std::string workbookPart = findWorkbookPart(archive);
    if (workbookPart.empty())
        throw ReadError(ReadError::Kind::NotWorkbook, "the package holds no binary workbook part");
    package::requireWorkbookPart(archive, workbookPart);

    BinaryLinks links;
    package::WorkbookInfo info = readWorkbookBin(archive, workbookPart, links);
    const package::WorkbookPackage parts(archive, workbookPart);

    Workbook workbook;
    workbook.dateSystem = info.dateSystem;
    workbook.definedNames = std::move(info.definedNames);
    workbook.fullCalcOnLoad = info.fullCalcOnLoad;
    // The theme is an XML part in binary packages too.
    package::Colors colors = parts.themeColors();
    if (const package::Relationship* styles = parts.internalPart("styles"))
        readStylesBin(archive, styles->target, colors, workbook);
    if (const package::Relationship* strings = parts.internalPart("sharedStrings"))
        readSharedStringsBin(archive, strings->target, workbook);
    const package::Persons persons = parts.persons();

    SheetContext context{archive, workbook, colors};
    if (const package::Relationship* metadata = parts.internalPart("sheetMetadata"))
        context.cellMeta = readMetadataBin(archive, metadata->target);
    formula::tokens::WorkbookFormulas formulas(&links, formula::tokens::Dialect::Biff12);
    parts.readSheets(info, workbook, [&](Sheet& sheet, const std::string& part) {
        // A binary chart sheet leads to the same drawing and chart parts as an XML one.
        if (sheet.kind == SheetKind::Chart)
            drawingml::readChartSheet(archive, part, colors, workbook.dateSystem, sheet);
        if (sheet.kind != SheetKind::Worksheet)
            return;
        context.formulas = &formulas.sheet(workbook.sheets.size() - 1);
        readWorksheetBin(context, part, sheet);
        readTablesBin(archive, part, static_cast<std::uint32_t>(workbook.sheets.size() - 1),
                      workbook, links);
        readSheetComments(archive, part, persons, sheet);
    });
    formulas.finish(workbook, text);
    workbook.finish();
    return workbook;
}

} // namespace engine::xlsb
