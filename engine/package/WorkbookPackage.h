#pragma once
// The parts the XML and the binary workbook readers resolve alike from a package's workbook
// part, with one rule for each: the workbook's relationships and sheets are required, the
// theme and the people of threaded comments are optional and a damaged one is passed over.

#include "engine/model/Sheet.h"
#include "engine/model/Workbook.h"
#include "engine/package/Colors.h"
#include "engine/package/Relationships.h"
#include "engine/package/ThreadedCommentsPart.h"
#include "engine/package/WorkbookInfo.h"

#include <functional>
#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {

// Throws ReadError(Damaged) unless the package holds `workbookPart`.
void requireWorkbookPart(const zip::ZipArchive& archive, const std::string& workbookPart);

class WorkbookPackage {
public:
    // Throws ReadError(Damaged) when the workbook part has no relationships part.
    WorkbookPackage(const zip::ZipArchive& archive, std::string workbookPart);

    // The first part of relationship kind `kind` that lies inside the package and is there;
    // nullptr when there is none.
    const Relationship* internalPart(std::string_view kind) const;

    // The theme's colours; the defaults when the workbook has no theme.
    Colors themeColors() const;

    // The people of threaded comments; none when the part is missing or damaged, as the
    // conversations still show, their authors unnamed.
    Persons persons() const;

    // Adds every sheet of `info` to `workbook` in order, with its name, visibility and kind,
    // and calls `read` with the sheet and its part. Throws ReadError(Damaged) when `info`
    // lists no sheets, a sheet's relationship is missing or external, or a worksheet's part
    // is missing.
    void readSheets(const WorkbookInfo& info, Workbook& workbook,
                    const std::function<void(Sheet& sheet, const std::string& part)>& read) const;

private:
    const zip::ZipArchive& archive_;
    std::string workbookPart_;
    Relationships relationships_;
};

} // namespace engine::package
