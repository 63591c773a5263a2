#include "JsonWriter.h"

#include <algorithm>
#include <bit>

#include "ByteScan.h"
#include "CatalogueText.h"
#include "TextOutput.h"

namespace karvio::cli {

namespace {

constexpr char kHex[] = "0123456789abcdef";

// Escapes UTF-8 for a JSON string at `p` (room: 6 per byte); returns the end.
char* EscapeJson(char* p, std::string_view s) {
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c != '"' && c != '\\') {
            *p++ = ch;
            continue;
        }
        *p++ = '\\';
        switch (c) {
            case '"': *p++ = '"'; break;
            case '\\': *p++ = '\\'; break;
            case '\n': *p++ = 'n'; break;
            case '\r': *p++ = 'r'; break;
            case '\t': *p++ = 't'; break;
            case '\b': *p++ = 'b'; break;
            case '\f': *p++ = 'f'; break;
            default:
                *p++ = 'u';
                *p++ = '0';
                *p++ = '0';
                *p++ = kHex[c >> 4];
                *p++ = kHex[c & 15];
        }
    }
    return p;
}

// Copies `s` to `p` when it needs no escape and is ASCII (then it is UTF-8 too), eight bytes at
// a time; null when it does or is not. Uses up to seven bytes of room past the copy.
char* CopyPlainJson(char* p, std::string_view s) {
    using namespace bytescan;
    static_assert(std::endian::native == std::endian::little, "the tail mask takes the first bytes as the low ones");
    const size_t n = s.size();
    if (n == 0) return p;
    std::memcpy(p, s.data(), n);
    for (size_t i = 0; i < n; i += 8) {
        uint64_t word = Load8(p + i);
        if (n - i < 8) word = KeepFirst(word, n - i, 'a');
        if ((AnyBelowSpace(word) | AnyEqual(word, '"') | AnyEqual(word, '\\') | High(word)) != 0) return nullptr;
    }
    return p + n;
}

}  // namespace

void JsonWriter::Grow(size_t n) {
    const size_t capacity = std::max(capacity_ * 2, std::max<size_t>(size_ + n, 4096));
    auto bigger = std::make_unique<char[]>(capacity);
    if (size_ > 0) std::memcpy(bigger.get(), buffer_.get(), size_);
    buffer_ = std::move(bigger);
    capacity_ = capacity;
}

void JsonWriter::Indent(size_t depth) {
    char* p = Room(depth * 2 + 1);
    *p = '\n';
    std::memset(p + 1, ' ', depth * 2);
    size_ += depth * 2 + 1;
}

void JsonWriter::Separate() {
    Level& level = stack_.back();
    if (level.layout == Lines) {
        if (!level.empty) Put(',');
        Indent(linesDepth_);
    } else if (!level.empty) {
        Put(',');
    }
    level.empty = false;
}

void JsonWriter::Open(char bracket, Layout layout) {
    BeforeValue();
    Put(bracket);
    stack_.push_back({bracket == '{' ? '}' : ']', layout, true});
    if (layout == Lines) ++linesDepth_;
}

void JsonWriter::Close(char bracket) {
    if (stack_.empty() || stack_.back().close != bracket) return;
    const Level level = stack_.back();
    stack_.pop_back();
    if (level.layout == Lines) --linesDepth_;
    if (level.layout == Lines && !level.empty) Indent(linesDepth_);
    Put(bracket);
    AfterValue();
}

void JsonWriter::AppendEscaped(std::string_view utf8) {
    char* p = Room(6 * utf8.size() + 8);
    char* end = CopyPlainJson(p, utf8);
    if (!end) end = EscapeJson(p, utf8);
    size_ = static_cast<size_t>(end - buffer_.get());
}

char* JsonWriter::PutCatalogueText(char* p, std::string_view bytes) {
    if (char* end = CopyPlainJson(p, bytes)) return end;
    // A Windows-1252 byte decodes to at most three bytes of UTF-8, none of them escaped, and a
    // control byte escapes to six: the room of EscapedBound holds either way.
    if (IsValidUtf8(bytes)) return EscapeJson(p, bytes);
    return EscapeJson(p, DecodeCatalogueText(bytes));
}

void JsonWriter::AppendDecodedEscaped(std::string_view bytes) {
    size_ = static_cast<size_t>(PutCatalogueText(Room(EscapedBound(bytes)), bytes) - buffer_.get());
}

void JsonWriter::String(std::string_view utf8) {
    BeforeValue();
    Put('"');
    AppendEscaped(utf8);
    Put('"');
    AfterValue();
}

void JsonWriter::CatalogueString(std::string_view utf8Prefix, std::string_view bytes) {
    BeforeValue();
    Put('"');
    if (!utf8Prefix.empty()) AppendEscaped(utf8Prefix);
    AppendDecodedEscaped(bytes);
    Put('"');
    AfterValue();
}

std::string JsonWriter::EscapedJson(std::string_view utf8) {
    std::string out(6 * utf8.size() + 8, '\0');
    char* end = CopyPlainJson(out.data(), utf8);
    if (!end) end = EscapeJson(out.data(), utf8);
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

void JsonWriter::Date(double date) {
    if (date == 0) {
        Null();
        return;
    }
    BeforeValue();
    char* p = Room(kDateBound + 2);
    *p++ = '"';
    p = PutIsoDateWithOffset(p, date);
    *p++ = '"';
    size_ = static_cast<size_t>(p - buffer_.get());
    AfterValue();
}

}  // namespace karvio::cli
