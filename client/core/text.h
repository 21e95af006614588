#pragma once

#include <string>
#include <string_view>

namespace qc::text {

// The program's name, in captions, box titles and tray texts.
inline constexpr std::string_view kProgramName = "Quorvel Chess";

// Lower case of ASCII letters; other bytes are kept.
std::string ToLower(std::string_view s);
bool StartsWith(std::string_view s, std::string_view prefix);
// Replaces every occurrence of `from` (not empty) by `to`.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

}  // namespace qc::text
