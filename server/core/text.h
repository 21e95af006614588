#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/types.h"

namespace qc::server {

// ASCII lower case; bytes above 127 (Windows-1252 letters) stay as they are.
std::string Lower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Splits at every separator; "a,,b" gives three fields and "" gives one.
std::vector<std::string_view> Split(std::string_view text, char separator);

// Lines of a datagram: cut at CR or LF, empty lines dropped, so a missing
// final CR or a CR LF pair from a foreign client still reads as one line.
std::vector<std::string_view> SplitLines(std::string_view datagram);

// A plain decimal number of at most nine digits, nothing else around it.
std::optional<int> ParseCount(std::string_view text);

// The 13-character server timestamp: day, English month abbreviation, two-digit
// year, hours, minutes, seconds ("05Dec26153012"). Local time unless utc is set.
std::string FormatTimestamp(TimePoint t, bool utc);

// Identifiers chosen through account creation: 6 to 30 characters, letters,
// digits, "_" and "-", a letter first.
bool IsValidNewIdentifier(std::string_view name);
// Identifiers an administrator may give: the same characters, 1 to 30 long.
bool IsValidAdminIdentifier(std::string_view name);
// Names that the server keeps for itself: guests ("guest" + anything) and the bot.
bool IsReservedIdentifier(std::string_view name);
// A plain mailbox address: local part, "@", a domain with a dot; no blanks,
// commas or control characters.
bool IsValidEmail(std::string_view address);

// Bot skill from an opponent name: "Bot" is 0, "Bot1".."Bot10" are 1..10.
std::optional<int> BotLevel(std::string_view name);
std::string BotName(int level);

// Random lower-case hexadecimal text and readable passwords, from the
// operating system's random source.
std::string RandomHex(std::size_t digits);
std::string RandomPassword(std::size_t length);

}  // namespace qc::server
