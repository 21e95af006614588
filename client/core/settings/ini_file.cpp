#include "client/core/settings/ini_file.h"

#include <algorithm>
#include <utility>

#include "client/core/text.h"

namespace qc::settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// What the Windows string read gives for a stored value: the enclosing quotes
// dropped, then the text up to the first NUL.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value.substr(0, value.find('\0'));
}

std::string_view CutAtLineBreak(std::string_view value) {
    return value.substr(0, value.find_first_of(std::string_view("\0\r\n", 3)));
}

int DigitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (hex && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (hex && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::int32_t LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    // Unsigned arithmetic: wrapping is defined and matches the Windows result.
    std::uint32_t n = 0;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i], hex);
        if (d < 0) {
            break;
        }
        n = n * (hex ? 16u : 10u) + static_cast<std::uint32_t>(d);
    }
    if (negative) {
        n = 0u - n;
    }
    return static_cast<std::int32_t>(n);
}

bool ValidName(std::string_view name) {
    return !name.empty() && name == Trim(name) &&
           name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

}  // namespace

IniFile::IniFile(platform::FileSystem& fs, std::filesystem::path path)
    : fs_(&fs), path_(std::move(path)) {}

IniFile IniFile::Load(platform::FileSystem& fs, std::filesystem::path path) {
    IniFile ini(fs, std::move(path));
    platform::FileSystem::ReadResult read = fs.ReadFile(ini.path_);
    switch (read.status) {
        case platform::FileSystem::ReadStatus::kOk:
            ini.Parse(read.bytes);
            break;
        case platform::FileSystem::ReadStatus::kMissing:
            break;
        case platform::FileSystem::ReadStatus::kError:
            ini.readFailed_ = true;
            break;
    }
    return ini;
}

IniFile IniFile::FromBytes(platform::FileSystem& fs, std::filesystem::path path,
                           std::string_view bytes) {
    IniFile ini(fs, std::move(path));
    ini.Parse(bytes);
    return ini;
}

void IniFile::Parse(std::string_view bytes) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        bom_ = kUtf8Bom;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    bool firstEnding = true;
    while (!bytes.empty()) {
        Line line;
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            line.text = bytes;
            bytes = {};
        } else {
            const bool crlf = lf > 0 && bytes[lf - 1] == '\r';
            line.text = bytes.substr(0, crlf ? lf - 1 : lf);
            line.eol = crlf ? "\r\n" : "\n";
            bytes.remove_prefix(lf + 1);
            if (firstEnding) {
                eol_ = line.eol;
                firstEnding = false;
            }
        }
        Classify(line);
        lines_.push_back(std::move(line));
    }
}

void IniFile::Classify(Line& line) {
    const std::string_view text = Trim(line.text);
    line.kind = Kind::kOther;
    line.name.clear();
    line.value.clear();
    if (text.empty() || text.front() == ';') {
        return;
    }
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close != std::string_view::npos) {
            line.kind = Kind::kSection;
            line.name = Trim(text.substr(1, close - 1));
            return;
        }
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        return;
    }
    line.kind = Kind::kKey;
    line.name = Trim(text.substr(0, eq));
    line.value = Trim(text.substr(eq + 1));
}

std::size_t IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::kSection && text::EqualsIgnoreCase(lines_[i].name, section)) {
            return i;
        }
    }
    return kNone;
}

std::size_t IniFile::FindKey(std::size_t sectionLine, std::string_view key) const {
    for (std::size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::kSection) {
            break;
        }
        if (lines_[i].kind == Kind::kKey && text::EqualsIgnoreCase(lines_[i].name, key)) {
            return i;
        }
    }
    return kNone;
}

const std::string* IniFile::FindValue(std::string_view section, std::string_view key) const {
    const std::size_t s = FindSection(section);
    if (s == kNone) {
        return nullptr;
    }
    const std::size_t k = FindKey(s, key);
    return k == kNone ? nullptr : &lines_[k].value;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
    const std::string* value = FindValue(section, key);
    std::string_view text =
        value ? Unquote(*value) : defaultValue.substr(0, defaultValue.find('\0'));
    return std::string(text.substr(0, kStringBufferSize - 1));
}

std::int32_t IniFile::GetInt(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const {
    const std::string* value = FindValue(section, key);
    if (value == nullptr) {
        return defaultValue;
    }
    const std::string_view text = Unquote(*value);
    return text.empty() ? defaultValue : LeadingInteger(text);
}

void IniFile::AppendLine(std::size_t at, std::string text) {
    Line line;
    line.text = std::move(text);
    line.eol = eol_;
    Classify(line);
    if (at == lines_.size() && !lines_.empty() && lines_.back().eol.empty()) {
        lines_.back().eol = eol_;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!ValidName(section) || section.find(']') != std::string_view::npos || !ValidName(key) ||
        key.find('=') != std::string_view::npos || key.front() == ';' || key.front() == '[') {
        return false;
    }
    value = CutAtLineBreak(value);
    dirty_ = true;

    const std::size_t s = FindSection(section);
    if (s == kNone) {
        AppendLine(lines_.size(), "[" + std::string(section) + "]");
        AppendLine(lines_.size(), std::string(key) + "=" + std::string(value));
        return true;
    }
    const std::size_t k = FindKey(s, key);
    if (k != kNone) {
        Line& line = lines_[k];
        // An unchanged value keeps the line as the user formatted it.
        if (line.value != value) {
            line.text = line.name + "=" + std::string(value);
            Classify(line);
        }
        return true;
    }
    std::size_t at = s + 1;
    for (std::size_t i = s + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i) {
        if (lines_[i].kind == Kind::kKey) {
            at = i + 1;
        }
    }
    AppendLine(at, std::string(key) + "=" + std::string(value));
    return true;
}

std::string IniFile::Serialize() const {
    std::size_t size = bom_.size();
    for (const Line& line : lines_) {
        size += line.text.size() + line.eol.size();
    }
    std::string out;
    out.reserve(size);
    out += bom_;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

bool IniFile::Flush() {
    if (readFailed_) {
        return false;
    }
    if (!dirty_) {
        return true;
    }
    try {
        if (!fs_->WriteFileAtomic(path_, Serialize())) {
            return false;
        }
    } catch (...) {
        return false;
    }
    dirty_ = false;
    return true;
}

}  // namespace qc::settings
