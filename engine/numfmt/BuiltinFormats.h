#pragma once
// The format codes behind the built-in number format ids, as an en-US installation shows them.

#include "engine/model/Workbook.h"

#include <cstdint>
#include <string>

namespace engine::numfmt {

// The en-US code of built-in id `id`, or nullptr when the id has no built-in meaning.
const char* builtinFormatCode(std::uint32_t id);

// The code that number format `id` of `workbook` stands for: the workbook's own code where it
// may redefine the id, else the built-in one; "General" when neither knows the id.
std::string formatCodeFor(const Workbook& workbook, std::uint32_t id);

} // namespace engine::numfmt
