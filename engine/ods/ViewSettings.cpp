#include "engine/ods/ViewSettings.h"

#include "engine/base/Limits.h"

#include <algorithm>
#include <charconv>

namespace engine::ods {
namespace {

// OpenDocument 1.3 schema §3.10: settings as named, typed configuration items. The names of
// the items are those the suites write (HorizontalSplitMode 2 freezes the columns left of
// HorizontalSplitPosition, VerticalSplitMode 2 the rows above VerticalSplitPosition).
constexpr std::string_view configNs = "urn:oasis:names:tc:opendocument:xmlns:config:1.0";
constexpr int frozenMode = 2;

std::uint32_t number(std::string_view text, std::uint32_t max) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\n'))
        text.remove_prefix(1);
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || value < 0)
        return 0;
    return static_cast<std::uint32_t>(std::min<long long>(value, max));
}

} // namespace

void ViewSettingsHandler::startElement(std::string_view ns, std::string_view local,
                                       const xml::Attributes& attributes) {
    if (ns != configNs)
        return;
    ++depth_;
    const std::string_view name = attributes.value("name");
    if (local == "config-item-map-indexed" && name == "Views" && viewsDepth_ == 0) {
        viewsDepth_ = depth_;
    } else if (local == "config-item-map-entry" && viewsDepth_ > 0 && depth_ == viewsDepth_ + 1 &&
               !viewSeen_) {
        // The first of the views: the one the file was saved in.
        viewDepth_ = depth_;
    } else if (local == "config-item-map-named" && viewDepth_ > 0 && tablesDepth_ == 0 &&
               name == "Tables") {
        tablesDepth_ = depth_;
    } else if (local == "config-item-map-entry" && tablesDepth_ > 0 && depth_ == tablesDepth_ + 1 &&
               tables_.size() < limits::maxSheets) {
        table_ = &tables_[std::string(name)];
    } else if (local == "config-item" && table_ && depth_ == tablesDepth_ + 2) {
        item_ = name == "HorizontalSplitMode"       ? Item::ColumnsMode
                : name == "VerticalSplitMode"       ? Item::RowsMode
                : name == "HorizontalSplitPosition" ? Item::Columns
                : name == "VerticalSplitPosition"   ? Item::Rows
                                                    : Item::None;
        value_.clear();
    }
}

void ViewSettingsHandler::characters(std::string_view text) {
    if (item_ != Item::None && value_.size() < limits::maxSettingValueBytes)
        value_.append(text.substr(0, limits::maxSettingValueBytes - value_.size()));
}

void ViewSettingsHandler::endElement(std::string_view ns, std::string_view local) {
    if (ns != configNs)
        return;
    if (local == "config-item" && item_ != Item::None && table_) {
        switch (item_) {
        case Item::ColumnsMode:
            table_->columnsMode = static_cast<int>(number(value_, 16));
            break;
        case Item::RowsMode:
            table_->rowsMode = static_cast<int>(number(value_, 16));
            break;
        case Item::Columns:
            table_->columns = number(value_, limits::maxColumns);
            break;
        case Item::Rows:
            table_->rows = number(value_, limits::maxRows);
            break;
        case Item::None:
            break;
        }
        item_ = Item::None;
    }
    if (tablesDepth_ > 0 && depth_ == tablesDepth_ + 1)
        table_ = nullptr;
    if (depth_ == tablesDepth_)
        tablesDepth_ = 0;
    if (depth_ == viewDepth_) {
        viewDepth_ = 0;
        viewSeen_ = true;
    }
    if (depth_ == viewsDepth_)
        viewsDepth_ = 0;
    --depth_;
}

void ViewSettingsHandler::apply(Workbook& workbook) const {
    for (Sheet& sheet : workbook.sheets) {
        const auto found = tables_.find(sheet.name);
        if (found == tables_.end())
            continue;
        const Split& split = found->second;
        if (split.rowsMode == frozenMode)
            sheet.frozenRows = split.rows;
        if (split.columnsMode == frozenMode)
            sheet.frozenColumns = static_cast<std::uint16_t>(split.columns);
    }
}

} // namespace engine::ods
