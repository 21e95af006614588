#pragma once

#include <optional>
#include <string>
#include <string_view>

// Wire text: Windows-1252 bytes, read and written the same way on every
// platform whatever the C locale says.
namespace qc::text {

// The program's name, in captions, box titles and tray texts.
inline constexpr std::string_view kProgramName = "Quorvel Chess";

// Letter case of Windows-1252: A-Z, the accented capitals 0xC0-0xDE (not the
// multiplication sign 0xD7) and the four capitals S caron, OE, Z caron and
// Y diaeresis in 0x80-0x9F. Bytes without a one-byte partner (sharp s, micro
// sign, the signs, digits) are kept.
char ToLowerChar(char c);
char ToUpperChar(char c);
std::string ToLower(std::string_view s);
std::string ToUpper(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

bool StartsWith(std::string_view s, std::string_view prefix);
// A possessive for captions: "James" gives "James'", "Anna" gives "Anna's";
// only a lower-case "s" takes the apostrophe alone.
std::string Possessive(std::string_view name);
// Replaces every occurrence of `from` (not empty) by `to`.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// Blanks (the space character alone) removed from the ends of a text field.
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);
std::string_view Trim(std::string_view s);

// Reads comma-separated fields from the front of a line, the way every record
// line is read: a field is the text before the next comma, and a field without
// a comma after it cannot be cut out, so the remainder stays whole (commas
// included) for the fields after it.
class CommaFields {
  public:
    explicit CommaFields(std::string_view line) : rest_(line) {}

    // The next field, or nothing when no comma is left.
    std::optional<std::string_view> Next();
    // The next field, or the whole remainder (which then stays) when no comma
    // is left: what a number reads when its comma is missing.
    std::string_view NextOrRest();
    std::string_view Rest() const { return rest_; }

  private:
    std::string_view rest_;
};

}  // namespace qc::text
