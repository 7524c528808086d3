#pragma once
// The names style parts give border styles and edges, and name lookups in such tables: the
// cells' styles and the conditional formats' differential styles read them alike.

#include "engine/model/Style.h"

#include <array>
#include <optional>
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

// The value `name` stands for in `table`; nullopt when it is none of its names.
template <class T, std::size_t N>
std::optional<T> lookUp(const std::array<std::pair<std::string_view, T>, N>& table,
                        std::string_view name) {
    for (const auto& [key, value] : table)
        if (key == name)
            return value;
    return std::nullopt;
}

// The side of a cell a child element of <border> draws ("start" and "end" being the left and
// right of left-to-right sheets); nullopt for the diagonal and anything else.
template <class Sides> auto borderEdge(Sides& sides, std::string_view local) {
    using Side = decltype(&sides.left);
    if (local == "left" || local == "start")
        return std::optional<Side>(&sides.left);
    if (local == "right" || local == "end")
        return std::optional<Side>(&sides.right);
    if (local == "top")
        return std::optional<Side>(&sides.top);
    if (local == "bottom")
        return std::optional<Side>(&sides.bottom);
    return std::optional<Side>();
}

} // namespace engine::xlsx
