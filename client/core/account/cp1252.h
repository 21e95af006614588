#pragma once

#include <string>
#include <string_view>

namespace qc {

// Wire text is Windows-1252 on every platform; these convert at the edges.
// Characters that Windows-1252 cannot hold become '?'. The five bytes that
// Windows-1252 leaves undefined map to the C1 control of the same value, so
// every byte string survives a round trip.
std::u16string Cp1252ToUtf16(std::string_view bytes);
std::string Utf16ToCp1252(std::u16string_view text);
std::string Cp1252ToUtf8(std::string_view bytes);
// Invalid UTF-8 (overlong forms and surrogates included) becomes one '?' per
// byte that cannot start a character.
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace qc
