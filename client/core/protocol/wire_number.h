#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qc::protocol {

// The leading decimal number of a field: leading blanks and tabs skipped, an
// optional sign, digits and an optional fraction. No number reads as 0.
double LeadingNumber(std::string_view text);

// A field that must be a number as a whole (blanks around it allowed): its
// value, or nothing.
std::optional<double> WholeNumber(std::string_view text);

// Round to the nearest integer, halves to the even neighbour; nothing when
// the value does not fit.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

// 1-based position of `what` in `text` at or after `start` (1-based), or 0.
std::size_t InStr(std::size_t start, std::string_view text, char what);

// The text from the 1-based position `start` to the end; "" past the end.
std::string_view MidFrom(std::string_view text, std::size_t start);

}  // namespace qc::protocol
