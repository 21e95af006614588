#include "client/core/protocol/wire_number.h"

#include <cmath>
#include <limits>

namespace qc::protocol {

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
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        double scale = 0.1;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value += (text[i] - '0') * scale;
            scale /= 10;
            ++i;
        }
    }
    return negative ? -value : value;
}

std::optional<std::int16_t> RoundToInt16(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(value);  // the default mode rounds halves to even
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
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
