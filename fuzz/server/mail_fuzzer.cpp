// Composing a mail from arbitrary stored text: recipient, subject and body
// (Windows-1252, as the outbox keeps them) separated by NUL bytes. A message
// is made exactly when the address is plain; it then has its nine header
// lines and no more, every line ends in CR LF, none is longer than the
// format allows, none is a lone "." (which would end an SMTP transfer), and
// the body decodes to the text that went in.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/core/account/cp1252.h"
#include "server/core/mail_message.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    Check(c >= 'A' && c <= 'F');
    return c - 'A' + 10;
}

std::string Decode(std::string_view body) {
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '=') {
            out += body[i];
        } else if (body.substr(i + 1, 2) == "\r\n") {
            i += 2;
        } else {
            Check(i + 2 < body.size());
            out += static_cast<char>(HexValue(body[i + 1]) * 16 + HexValue(body[i + 2]));
            i += 2;
        }
    }
    return out;
}

// The text with every line ended by CR LF, as the body is sent.
std::string CrLfLines(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    if (!out.empty() && (out.size() < 2 || out.substr(out.size() - 2) != "\r\n")) {
        out += "\r\n";
    }
    return out;
}

void CheckMessage(const qc::server::MessageParts& parts) {
    const auto message = qc::server::ComposeMessage(parts);
    Check(message.has_value() == qc::server::IsMailAddress(parts.to));
    if (!message) {
        return;
    }
    const std::size_t split = message->find("\r\n\r\n");
    Check(split != std::string::npos);
    const std::string_view text(*message);
    int headers = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        Check(end != std::string_view::npos);
        const std::string_view line = text.substr(start, end - start);
        Check(line.find('\r') == std::string_view::npos &&
              line.find('\n') == std::string_view::npos);
        Check(line != ".");
        if (start <= split) {
            // Folded header lines go on with a blank; new ones have a name.
            Check(line.size() <= 998);
            if (!line.empty() && line[0] != ' ') {
                ++headers;
            }
        } else {
            Check(line.size() <= 76);
        }
        start = end + 2;
    }
    Check(headers == 9);
    Check(Decode(text.substr(split + 4)) == CrLfLines(parts.body));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t first = input.find('\0');
    const std::size_t second =
        first == std::string_view::npos ? first : input.find('\0', first + 1);
    if (second == std::string_view::npos) {
        return 0;
    }
    qc::server::MessageParts parts;
    parts.from = "server@quorvel.test";
    parts.fromName = "Quorvel Chess";
    parts.to = std::string(input.substr(0, first));
    parts.subject = qc::Cp1252ToUtf8(input.substr(first + 1, second - first - 1));
    parts.body = qc::Cp1252ToUtf8(input.substr(second + 1));
    parts.messageId = "quorvel.1.2@quorvel.test";
    parts.utc = true;

    CheckMessage(parts);
    // Most inputs are no address at all: the text is tried with one too.
    parts.to = "to@example.org";
    CheckMessage(parts);
    return 0;
}
