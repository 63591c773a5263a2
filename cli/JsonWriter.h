// A JSON writer that writes as it goes: values are appended to a text that the caller hands to
// the output piece by piece (Take), so a listing of a million records needs no document in
// memory. Objects and arrays are written on one line, or with one member per line when opened
// with Lines; strings are escaped to valid JSON (catalogue bytes are decoded to UTF-8 first).
// The caller keeps keys and values in order; the writer keeps only the nesting. One thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace karvio::cli {

class JsonWriter {
public:
    enum Layout { Inline, Lines };

    void BeginObject(Layout layout = Inline) { Open('{', layout); }
    void EndObject() { Close('}'); }
    void BeginArray(Layout layout = Inline) { Open('[', layout); }
    void EndArray() { Close(']'); }

    // The key of the next member of the object being written.
    void Key(std::string_view key);

    void String(std::string_view utf8);
    // Catalogue bytes: decoded as DecodeCatalogueText does, then written as a string.
    void CatalogueString(std::string_view bytes);
    void Int(int64_t value);
    void Bool(bool value);
    void Null();

    // Key(key) and the value.
    template <typename T>
    void Member(std::string_view key, const T& value) {
        Key(key);
        Value(value);
    }
    void Value(int32_t v) { Int(v); }
    void Value(int64_t v) { Int(v); }
    void Value(bool v) { Bool(v); }
    void Value(const char* v) { String(v); }
    void Value(std::string_view v) { String(v); }
    void Value(const std::string& v) { String(v); }

    // The text written so far, and takes it (leaving the writer ready for more). A finished
    // top-level value ends with a line feed.
    std::string& Text() { return text_; }
    std::string Take();

    // Nothing open.
    bool Done() const { return stack_.empty(); }

private:
    struct Level {
        char close;
        Layout layout;
        bool empty;
    };
    void Open(char bracket, Layout layout);
    void Close(char bracket);
    // Before a value: the separator and, in a Lines container, the line break and indent.
    void BeforeValue();
    void Indent(size_t depth);
    void AppendString(std::string_view utf8);

    std::string text_;
    std::vector<Level> stack_;
    bool afterKey_ = false;
};

}  // namespace karvio::cli
