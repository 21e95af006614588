#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "client/platform/file_system.h"

namespace qc::settings {

// An INI file with the read and write rules of the Windows private-profile
// functions (GetPrivateProfileStringA, GetPrivateProfileIntA,
// WritePrivateProfileStringA), on every platform. The file is read once by
// Load and written once by Flush; in between every Get and Write behaves as
// the per-key function would on the file as it stands after the earlier
// writes. Bytes are kept as they are (Windows-1252); nothing is decoded.
//
// Reading:
// - Lines end in LF or CR LF; a missing final newline and a leading UTF-8 byte
//   order mark are accepted. "[name]" lines open sections; lines starting with
//   ';' are comments; other lines are "key=value" with blanks around the key
//   and the value ignored. Lines that fit none of these are kept and skipped.
// - Section and key names match without regard to ASCII letter case. The
//   first section of a name is the one used, and the first key of a name in it.
// - A value enclosed in a matching pair of '"' or '\'' loses the pair.
// - GetString returns the value up to its first NUL, at most 254 bytes (the
//   255-byte buffer of the program), or the default under the same limits
//   when the key is missing. A key with an empty value gives "".
// - GetInt returns the default when the key is missing or its value is empty.
//   Otherwise it reads the integer the value begins with: blanks, an optional
//   '+' or '-', then decimal digits, or hexadecimal digits after "0x". Digits
//   wrap modulo 2^32 as the unsigned Windows conversion does; anything else
//   ends the number, and text without digits reads as 0.
//
// Writing:
// - A written key replaces the first matching key's line in place (keeping the
//   file's spelling of the key); a new key goes after the last key of its
//   section; a new section goes at the end of the file. Every other line,
//   foreign keys and comments included, is kept byte for byte and in order.
// - Values are written unquoted. A value is cut at its first NUL, CR or LF:
//   the rest could not be read back and would otherwise forge lines.
// - New lines take the file's own line ending (that of its first line), CR LF
//   for a new file.
class IniFile {
  public:
    // The program reads strings through a buffer of this many bytes.
    static constexpr std::size_t kStringBufferSize = 255;

    // Reads the file once. A missing or unreadable file reads as empty; an
    // unreadable one is then never replaced by Flush, so that what it holds
    // is not lost.
    static IniFile Load(platform::FileSystem& fs, std::filesystem::path path);
    // Parses bytes already in memory; Flush then writes to `path` through `fs`.
    static IniFile FromBytes(platform::FileSystem& fs, std::filesystem::path path,
                             std::string_view bytes);

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    std::int32_t GetInt(std::string_view section, std::string_view key,
                        std::int32_t defaultValue) const;

    // Returns false, changing nothing, for a name the file cannot hold: an
    // empty one, one with a NUL, CR or LF, a section name with ']', a key
    // with '=' or starting with ';' or '[', or blanks around either.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Writes the file in one atomic step when anything was written since the
    // load or the last successful Flush. False when that write failed or the
    // file could not be read at load; never throws.
    bool Flush();

    // The bytes Flush would write.
    std::string Serialize() const;

  private:
    enum class Kind { kOther, kSection, kKey };
    struct Line {
        std::string text;  // without its line ending
        std::string eol;   // "\r\n", "\n", or "" for a last line without one
        Kind kind = Kind::kOther;
        std::string name;   // section name or key name, trimmed
        std::string value;  // for keys: the value, trimmed
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    IniFile(platform::FileSystem& fs, std::filesystem::path path);
    void Parse(std::string_view bytes);
    static void Classify(Line& line);
    std::size_t FindSection(std::string_view section) const;
    std::size_t FindKey(std::size_t sectionLine, std::string_view key) const;
    const std::string* FindValue(std::string_view section, std::string_view key) const;
    void AppendLine(std::size_t at, std::string text);

    platform::FileSystem* fs_;
    std::filesystem::path path_;
    std::vector<Line> lines_;
    std::string bom_;
    std::string eol_ = "\r\n";
    bool readFailed_ = false;
    bool dirty_ = false;
};

}  // namespace qc::settings
