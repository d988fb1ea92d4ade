// Cutting GBK text into characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace charlist {

using PieceList = std::vector<std::string>;

// Empties `pieces`, then appends the characters of `text` in order: a byte of
// 0x81 or more with the byte after it, CR LF as one piece, any other byte
// alone, and the last byte alone whatever it is. Returns the number of pieces.
int32_t splitCharacters(std::string_view text, PieceList& pieces);

}  // namespace charlist
