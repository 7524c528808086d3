#include "engine/xlsb/XlsbReader.h"

#include "engine/drawingml/DrawingObjects.h"
#include "engine/package/Colors.h"
#include "engine/package/Relationships.h"
#include "engine/package/SheetKinds.h"
#include "engine/package/ThemePart.h"
#include "engine/read/ReadError.h"
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

[[noreturn]] void damaged(std::string detail) {
    throw ReadError(ReadError::Kind::Damaged, std::move(detail));
}

// The binary workbook part of the package; empty when the package has none.
std::string findWorkbookPart(const zip::ZipArchive& archive) {
    if (archive.entryCount() == 0)
        return {};
    const std::optional<xlsx::Relationship> main = xlsx::mainPart(archive, conventionalWorkbook);
    return main && !main->external && xlsx::isBinaryPartName(main->target) ? main->target
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
    if (!archive.contains(workbookPart))
        damaged("the workbook part '" + workbookPart + "' is missing");

    BinaryLinks links;
    xlsx::WorkbookInfo info = readWorkbookBin(archive, workbookPart, links);
    const xlsx::Relationships relationships = xlsx::Relationships::read(archive, workbookPart);
    if (!relationships.exists())
        damaged("the workbook's relationships part '" + xlsx::relationshipsPartOf(workbookPart) +
                "' is missing");
    if (info.sheets.empty())
        damaged("the workbook part '" + workbookPart + "' lists no sheets");

    Workbook workbook;
    workbook.dateSystem = info.dateSystem;
    workbook.definedNames = std::move(info.definedNames);
    workbook.fullCalcOnLoad = info.fullCalcOnLoad;
    xlsx::Colors colors;
    const auto internalPart = [&](std::string_view kind) -> const xlsx::Relationship* {
        const xlsx::Relationship* found = relationships.firstOfKind(kind);
        return found && !found->external && archive.contains(found->target) ? found : nullptr;
    };
    // The theme is an XML part in binary packages too.
    if (const xlsx::Relationship* theme = internalPart("theme"))
        xlsx::readTheme(archive, theme->target, colors);
    if (const xlsx::Relationship* styles = internalPart("styles"))
        readStylesBin(archive, styles->target, colors, workbook);
    if (const xlsx::Relationship* strings = internalPart("sharedStrings"))
        readSharedStringsBin(archive, strings->target, workbook);

    xlsx::Persons persons;
    if (const xlsx::Relationship* people = internalPart("person")) {
        try {
            persons = xlsx::readPersons(archive, people->target);
        } catch (const ReadError& error) {
            // Without the names, conversations still show with their authors unnamed.
            if (error.kind() != ReadError::Kind::Damaged)
                throw;
        }
    }

    SheetContext context{archive, workbook, colors};
    formula::tokens::WorkbookFormulas formulas(&links, formula::tokens::Dialect::Biff12);
    workbook.sheets.reserve(info.sheets.size());
    for (const xlsx::SheetEntry& entry : info.sheets) {
        const xlsx::Relationship* target = relationships.byId(entry.relationshipId);
        if (!target || target->external)
            damaged("sheet '" + entry.name + "' refers to relationship '" + entry.relationshipId +
                    "', which the workbook does not have");
        Sheet& sheet = workbook.sheets.emplace_back();
        sheet.name = entry.name;
        sheet.visibility = entry.visibility;
        sheet.kind = xlsx::sheetKindOf(target->type, entry.name);
        // A binary chart sheet leads to the same drawing and chart parts as an XML one.
        if (sheet.kind == SheetKind::Chart)
            xlsx::readChartSheet(archive, target->target, colors, workbook.dateSystem, sheet);
        if (sheet.kind != SheetKind::Worksheet)
            continue;
        if (!archive.contains(target->target))
            damaged("the part '" + target->target + "' of sheet '" + entry.name + "' is missing");
        context.formulas = &formulas.sheet(workbook.sheets.size() - 1);
        readWorksheetBin(context, target->target, sheet);
        readTablesBin(archive, target->target,
                      static_cast<std::uint32_t>(workbook.sheets.size() - 1), workbook, links);
        readSheetComments(archive, target->target, persons, sheet);
    }
    formulas.finish(workbook, text);
    workbook.finish();
    return workbook;
}

} // namespace engine::xlsb
