#pragma once
// The names style parts give border styles: the cells' styles and the conditional formats'
// differential styles read them alike.

#include "engine/model/Style.h"

#include <array>
#include <string_view>
#include <utility>

namespace engine::xlsx {

inline constexpr std::array<std::pair<std::string_view, BorderStyle>, 14> borderStyleNames = {{
    {"none", BorderStyle::None},
    {"thin", BorderStyle::Thin},
    {"medium", BorderStyle::Medium},
    {"dashed", BorderStyle::Dashed},
    {"dotted", BorderStyle::Dotted},
    {"thick", BorderStyle::Thick},
    {"double", BorderStyle::Double},
    {"hair", BorderStyle::Hair},
    {"mediumDashed", BorderStyle::MediumDashed},
    {"dashDot", BorderStyle::DashDot},
    {"mediumDashDot", BorderStyle::MediumDashDot},
    {"dashDotDot", BorderStyle::DashDotDot},
    {"mediumDashDotDot", BorderStyle::MediumDashDotDot},
    {"slantDashDot", BorderStyle::SlantDashDot},
}};

} // namespace engine::xlsx
