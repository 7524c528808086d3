#include "engine/xlsx/XlsxReader.h"

#include "engine/drawingml/DrawingObjects.h"
#include "engine/package/Colors.h"
#include "engine/package/CoreProperties.h"
#include "engine/package/Relationships.h"
#include "engine/package/SheetKinds.h"
#include "engine/package/ThemePart.h"
#include "engine/package/ThreadedCommentsPart.h"
#include "engine/read/ReadError.h"
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
    const std::optional<Relationship> main = mainPart(archive, conventionalWorkbook);
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
    if (isBinaryPartName(workbookPart))
        notWorkbook("binary workbooks are not supported");
    if (!archive.contains(workbookPart))
        damaged("the workbook part '" + workbookPart + "' is missing");

    const WorkbookInfo info = readWorkbookPart(archive, workbookPart);
    const Relationships relationships = Relationships::read(archive, workbookPart);
    if (!relationships.exists())
        damaged("the workbook's relationships part '" + relationshipsPartOf(workbookPart) +
                "' is missing");
    if (info.sheets.empty())
        damaged("the workbook part '" + workbookPart + "' lists no sheets");

    Workbook workbook;
    workbook.dateSystem = info.dateSystem;
    workbook.fullCalcOnLoad = info.fullCalcOnLoad;
    workbook.definedNames = info.definedNames;
    workbook.language = readDocumentLanguage(archive);
    Colors colors;
    const auto internalPart = [&](std::string_view kind) -> const Relationship* {
        const Relationship* found = relationships.firstOfKind(kind);
        return found && !found->external && archive.contains(found->target) ? found : nullptr;
    };
    if (const Relationship* theme = internalPart("theme"))
        readTheme(archive, theme->target, colors);
    if (const Relationship* styles = internalPart("styles")) {
        readStyles(archive, styles->target, colors, workbook);
        readDifferentialStyles(archive, styles->target, colors, workbook);
    }
    if (workbook.fonts.empty())
        workbook.fonts.emplace_back();
    FontTable fonts(workbook.fonts);
    if (const Relationship* strings = internalPart("sharedStrings"))
        readSharedStrings(archive, strings->target, colors, fonts, workbook);

    Persons persons;
    if (const Relationship* people = internalPart("person"))
        persons = readPersons(archive, people->target);

    SheetContext context{archive, colors, fonts, workbook, 0, 0, {}};
    if (const Relationship* metadata = internalPart("sheetMetadata"))
        context.dynamicArrays = readCellMetadata(archive, metadata->target);
    workbook.sheets.reserve(info.sheets.size());
    for (const SheetEntry& entry : info.sheets) {
        const Relationship* target = relationships.byId(entry.relationshipId);
        if (!target || target->external)
            damaged("sheet '" + entry.name + "' refers to relationship '" + entry.relationshipId +
                    "', which the workbook does not have");
        Sheet& sheet = workbook.sheets.emplace_back();
        sheet.name = entry.name;
        sheet.visibility = entry.visibility;
        sheet.kind = sheetKindOf(target->type, entry.name);
        if (sheet.kind == SheetKind::Chart)
            readChartSheet(archive, target->target, colors, workbook.dateSystem, sheet);
        if (sheet.kind != SheetKind::Worksheet)
            continue;
        if (!archive.contains(target->target))
            damaged("the part '" + target->target + "' of sheet '" + entry.name + "' is missing");
        readWorksheet(context, target->target, sheet);
        readThreadedComments(archive, target->target, persons, sheet);
        readTables(archive, target->target, static_cast<std::uint32_t>(workbook.sheets.size() - 1),
                   workbook);
    }
    workbook.finish();
    return workbook;
}

} // namespace engine::xlsx
