#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qc::protocol {

// The leading decimal number of a field: leading blanks skipped, an optional
// sign, digits and an optional fraction. No number reads as 0.
double LeadingNumber(std::string_view text);

// Rounds to the nearest 16-bit integer, halves to the even neighbour;
// nothing when the value does not fit.
std::optional<std::int16_t> RoundToInt16(double value);

// 1-based position of `what` in `text` at or after `start` (1-based), or 0.
std::size_t InStr(std::size_t start, std::string_view text, char what);

// The text from the 1-based position `start` to the end; "" past the end.
std::string_view MidFrom(std::string_view text, std::size_t start);

}  // namespace qc::protocol
