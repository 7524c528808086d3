#include "engine/package/WorkbookPackage.h"

#include "engine/base/ReadError.h"
#include "engine/package/SheetKinds.h"
#include "engine/package/ThemePart.h"
#include "engine/zip/ZipArchive.h"

namespace engine::package {
namespace {

[[noreturn]] void damaged(std::string detail) {
    throw ReadError(ReadError::Kind::Damaged, std::move(detail));
}

} // namespace

void requireWorkbookPart(const zip::ZipArchive& archive, const std::string& workbookPart) {
    if (!archive.contains(workbookPart))
        damaged("the workbook part '" + workbookPart + "' is missing");
}

WorkbookPackage::WorkbookPackage(const zip::ZipArchive& archive, std::string workbookPart)
    : archive_(archive), workbookPart_(std::move(workbookPart)),
      relationships_(Relationships::read(archive, workbookPart_)) {
    if (!relationships_.exists())
        damaged("the workbook's relationships part '" + relationshipsPartOf(workbookPart_) +
                "' is missing");
}

const Relationship* WorkbookPackage::internalPart(std::string_view kind) const {
    const Relationship* found = relationships_.firstOfKind(kind);
    return found && !found->external && archive_.contains(found->target) ? found : nullptr;
}

Colors WorkbookPackage::themeColors() const {
    Colors colors;
    if (const Relationship* theme = internalPart("theme"))
        readTheme(archive_, theme->target, colors);
    return colors;
}

Persons WorkbookPackage::persons() const {
    const Relationship* people = internalPart("person");
    if (!people)
        return {};
    try {
        return readPersons(archive_, people->target);
    } catch (const ReadError& error) {
        if (error.kind() != ReadError::Kind::Damaged)
            throw;
        return {};
    }
}

void WorkbookPackage::readSheets(
    const WorkbookInfo& info, Workbook& workbook,
    const std::function<void(Sheet& sheet, const std::string& part)>& read) const {
    if (info.sheets.empty())
        damaged("the workbook part '" + workbookPart_ + "' lists no sheets");
    workbook.sheets.reserve(info.sheets.size());
    for (const SheetEntry& entry : info.sheets) {
        const Relationship* target = relationships_.byId(entry.relationshipId);
        if (!target || target->external)
            damaged("sheet '" + entry.name + "' refers to relationship '" + entry.relationshipId +
                    "', which the workbook does not have");
        Sheet& sheet = workbook.sheets.emplace_back();
        sheet.name = entry.name;
        sheet.visibility = entry.visibility;
        sheet.kind = sheetKindOf(target->type, entry.name);
        if (sheet.kind == SheetKind::Worksheet && !archive_.contains(target->target))
            damaged("the part '" + target->target + "' of sheet '" + entry.name + "' is missing");
        read(sheet, target->target);
    }
}

} // namespace engine::package
