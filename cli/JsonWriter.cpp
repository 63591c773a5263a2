#include "JsonWriter.h"

#include <charconv>

#include "TextOutput.h"

namespace karvio::cli {

namespace {
constexpr char kHex[] = "0123456789abcdef";
}

void JsonWriter::Indent(size_t depth) {
    text_ += '\n';
    text_.append(depth * 2, ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (stack_.empty()) return;
    Level& level = stack_.back();
    if (!level.empty) text_ += level.layout == Lines ? "," : ", ";
    if (level.layout == Lines) Indent(stack_.size());
    level.empty = false;
}

void JsonWriter::Open(char bracket, Layout layout) {
    BeforeValue();
    text_ += bracket;
    stack_.push_back({bracket == '{' ? '}' : ']', layout, true});
}

void JsonWriter::Close(char bracket) {
    if (stack_.empty() || stack_.back().close != bracket) return;
    const Level level = stack_.back();
    stack_.pop_back();
    if (level.layout == Lines && !level.empty) Indent(stack_.size());
    text_ += bracket;
    if (stack_.empty()) text_ += '\n';
}

void JsonWriter::Key(std::string_view key) {
    BeforeValue();
    AppendString(key);
    text_ += ": ";
    afterKey_ = true;
}

void JsonWriter::AppendString(std::string_view s) {
    text_ += '"';
    size_t run = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        text_.append(s.data() + run, i - run);
        switch (c) {
            case '"': text_ += "\\\""; break;
            case '\\': text_ += "\\\\"; break;
            case '\n': text_ += "\\n"; break;
            case '\r': text_ += "\\r"; break;
            case '\t': text_ += "\\t"; break;
            case '\b': text_ += "\\b"; break;
            case '\f': text_ += "\\f"; break;
            default:
                text_ += "\\u00";
                text_ += kHex[c >> 4];
                text_ += kHex[c & 15];
        }
        run = i + 1;
    }
    text_.append(s.data() + run, s.size() - run);
    text_ += '"';
}

void JsonWriter::String(std::string_view utf8) {
    BeforeValue();
    AppendString(utf8);
    if (stack_.empty()) text_ += '\n';
}

void JsonWriter::CatalogueString(std::string_view bytes) {
    thread_local std::string decoded;
    decoded.clear();
    AppendDecoded(decoded, bytes);
    String(decoded);
}

void JsonWriter::Int(int64_t value) {
    BeforeValue();
    AppendInt(text_, value);
    if (stack_.empty()) text_ += '\n';
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    if (stack_.empty()) text_ += '\n';
}

void JsonWriter::Null() {
    BeforeValue();
    text_ += "null";
    if (stack_.empty()) text_ += '\n';
}

std::string JsonWriter::Take() {
    std::string taken;
    taken.swap(text_);
    return taken;
}

}  // namespace karvio::cli
