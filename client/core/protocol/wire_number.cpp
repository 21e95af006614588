#include "client/core/protocol/wire_number.h"

#include <cmath>
#include <limits>

#include "client/core/text.h"

namespace qc::protocol {

namespace {

template <typename Int>
std::optional<Int> RoundTo(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(value);  // the default mode rounds halves to even
    if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max()) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    double value = 0;
    while (i < text.size() && IsDigit(text[i])) {
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        double scale = 0.1;
        while (i < text.size() && IsDigit(text[i])) {
            value += (text[i] - '0') * scale;
            scale /= 10;
            ++i;
        }
    }
    return negative ? -value : value;
}

std::optional<double> WholeNumber(std::string_view text) {
    text = text::Trim(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    bool digits = false;
    while (i < text.size() && IsDigit(text[i])) {
        digits = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            digits = true;
            ++i;
        }
    }
    if (!digits || i != text.size()) {
        return std::nullopt;
    }
    return LeadingNumber(text);
}

std::optional<std::int16_t> RoundToInt16(double value) {
    return RoundTo<std::int16_t>(value);
}

std::optional<std::int32_t> RoundToInt32(double value) {
    return RoundTo<std::int32_t>(value);
}

std::size_t InStr(std::size_t start, std::string_view text, char what) {
    if (start < 1 || start > text.size()) {
        return 0;
    }
    const std::size_t pos = text.find(what, start - 1);
    return pos == std::string_view::npos ? 0 : pos + 1;
}

std::string_view MidFrom(std::string_view text, std::size_t start) {
    if (start < 1 || start > text.size()) {
        return {};
    }
    return text.substr(start - 1);
}

}  // namespace qc::protocol
