#pragma once

#include <cstddef>
#include <string>

namespace zelvo {

// The user signature as the logic device stores it: the first 15 characters of `uesText`,
// 8 characters '0'/'1' each, most significant bit first; a position beyond the end of the text
// counts as a character of code 0. Always kUesBitLength characters.
inline constexpr size_t kUesCharacters = 15;
inline constexpr size_t kUesBitLength = 8 * kUesCharacters;

std::string UesBitString(const std::string& uesText);

}  // namespace zelvo
