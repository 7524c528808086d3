#pragma once
// Drawing shapes: a sheet's shape description made into the SVG picture a page shows.

#include "engine/model/Shape.h"

#include <string>

namespace engine::web {

// A standalone SVG document of `shape` drawn `widthPx` by `heightPx`, by the conventions of
// the shape's family.
std::string shapeSvg(const Shape& shape, double widthPx, double heightPx);

} // namespace engine::web
