// Conversions between texts (code page 936) and numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace forms {

// Decimal text of a number: digits without leading zeros, "-" for negatives.
std::string intToText(int32_t value);

// The integer a text reads as: full-width forms (A3 A1..A3 FE) taken as their
// ASCII counterparts and the ideographic space (A1 A1) as a blank; leading
// white space skipped; one optional sign; decimal digits up to the first other
// character (none: 0). Computed in 32 bits, wrapping beyond that range.
int32_t textToInt(std::string_view text);

}  // namespace forms
