#include <cstdint>
#include <string>

#include "CatalogueText.h"
#include "HtmlReport.h"

namespace karvio {

namespace {

// The code point of the well-formed UTF-8 sequence at `i`; advances `i` past it.
char32_t NextCodePoint(const std::string& s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) return b0;
    const int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : 1;
    char32_t cp = b0 & (0x3F >> extra);
    for (int k = 0; k < extra && i < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    return cp;
}

}  // namespace

std::string HtmlText(const std::string& bytes, bool lineBreaks) {
    // DecodeCatalogueText yields well-formed UTF-8 whatever the catalogue held.
    const std::string text = DecodeCatalogueText(bytes);
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (size_t i = 0; i < text.size();) {
        const char32_t cp = NextCodePoint(text, i);
        switch (cp) {
            case '&': out += "&amp;"; continue;
            case '<': out += "&lt;"; continue;
            case '>': out += "&gt;"; continue;
            case '"': out += "&quot;"; continue;
            case '\'': out += "&#39;"; continue;
            case '\r':
            case '\n':
                if (cp == '\r' && i < text.size() && text[i] == '\n') ++i;
                out += lineBreaks ? "<BR>" : " ";
                continue;
            case '\t': out += ' '; continue;
            default: break;
        }
        if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {  // C0 and C1 controls
            out += "&#xFFFD;";
        } else if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            out += "&#" + std::to_string(static_cast<uint32_t>(cp)) + ";";
        }
    }
    return out;
}

}  // namespace karvio
