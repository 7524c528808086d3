#pragma once
// The <style> rules of a page: one class per cell format its sheets use ("x12"), one per
// font of rich-text runs ("f3"), one per fill of blank rows and columns ("p2") and one per
// colour the number formats name ("k0"), so that cells carry short class names only.

#include "engine/model/Workbook.h"
#include "engine/numfmt/CellText.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace engine::web {

class StyleSheet {
public:
    StyleSheet(const Workbook& workbook, numfmt::CellTextFormatter& formatter);

    // Notes every format, run font and number-format colour `sheet` uses.
    void addSheet(const Sheet& sheet);

    // Appends the rules, in a fixed order.
    void write(std::string& out) const;

    // True when cells of cell format `format` need no class (the default format, plain).
    bool implicit(std::uint32_t format) const { return format == 0 && plainDefault_; }
    // The index of a number-format colour's class; -1 when it was never noted.
    int colorClass(std::uint32_t rgb) const;

private:
    void useFormat(std::uint32_t format);

    const Workbook& workbook_;
    numfmt::CellTextFormatter& formatter_;
    std::vector<bool> formats_;
    std::vector<bool> fonts_;
    std::vector<bool> fills_;
    std::map<std::uint32_t, int> colors_;
    bool plainDefault_ = false;
    bool notes_ = false;       // some sheet has comments
    bool conditional_ = false; // some sheet has conditional formats
};

} // namespace engine::web
