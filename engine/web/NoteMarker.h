#pragma once
// A cell's comment on the page: the red corner marker the application shows, with the text as a
// tooltip, as a box that opens while the marker has the keyboard focus, and as the marker's
// content for screen readers. No script.

#include "engine/model/Comment.h"

#include <string>

namespace engine::web {

// Appends the marker element, every text escaped.
void appendNoteMarker(std::string& out, const Comment& comment);

// Appends the style rules of the markers.
void appendNoteCss(std::string& out);

} // namespace engine::web
