#pragma once
// Numbers spelled in Thai words, shared by BAHTTEXT and the Thai number functions.

#include <string>
#include <string_view>

namespace engine::formula::functions {

// The word for decimal digit `digit` (0..9): "ศูนย์", "หนึ่ง" ...
std::string_view thaiDigitName(int digit);

// A whole number given as its decimal digits ("1234567"), spelled in groups of six joined by
// "ล้าน"; empty for zero.
std::string thaiWholeNumber(std::string_view digits);

} // namespace engine::formula::functions
