// A JSON writer that writes as it goes: values are appended to a text that the caller hands to
// the output piece by piece, so a listing of a million records needs no document in memory.
// Objects and arrays are written compactly on one line, or with one member per line when opened
// with Lines (for a reader); strings are escaped to valid JSON (catalogue bytes are decoded to
// UTF-8 first). The caller keeps keys and values in order; the writer keeps only the nesting.
// One thread.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TextOutput.h"

namespace karvio::cli {

class JsonWriter {
public:
    enum Layout { Inline, Lines };

    JsonWriter() = default;
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void BeginObject(Layout layout = Inline) { Open('{', layout); }
    void EndObject() { Close('}'); }
    void BeginArray(Layout layout = Inline) { Open('[', layout); }
    void EndArray() { Close(']'); }

    // The key of the next member of the object being written. REQUIRES: the key is printable
    // ASCII without '"' or '\' (the program's own names), so it is written as it is.
    void Key(std::string_view key) {
        BeforeValue();
        char* p = Room(key.size() + 4);
        *p++ = '"';
        std::memcpy(p, key.data(), key.size());
        p += key.size();
        *p++ = '"';
        *p++ = ':';
        if (!stack_.empty() && stack_.back().layout == Lines) *p++ = ' ';
        size_ = static_cast<size_t>(p - buffer_.get());
        afterKey_ = true;
    }

    void String(std::string_view utf8);
    // Catalogue bytes: decoded as DecodeCatalogueText does, then written as a string.
    void CatalogueString(std::string_view bytes) { CatalogueString({}, bytes); }
    // One string of `utf8` followed by catalogue bytes decoded.
    void CatalogueString(std::string_view utf8Prefix, std::string_view bytes);
    // `utf8` escaped for the inside of a JSON string.
    static std::string EscapedJson(std::string_view utf8);
    // A catalogue date in ISO 8601 with its offset; null for 0 (no date).
    void Date(double date);
    void Int(int64_t value) {
        BeforeValue();
        size_ = static_cast<size_t>(PutInt(Room(kNumberBound), value) - buffer_.get());
        AfterValue();
    }
    void Bool(bool value) { Literal(value ? "true" : "false"); }
    // A value the caller has written as JSON already.
    void Raw(std::string_view json) { Literal(json); }
    void Null() { Literal("null"); }
    // A value of at most `bound` characters that the caller writes itself at the place returned
    // (valid until the next call), then ends with EndRawValue at the end of what it wrote.
    char* BeginRawValue(size_t bound) {
        BeforeValue();
        return Room(bound);
    }
    void EndRawValue(const char* end) {
        size_ = static_cast<size_t>(end - buffer_.get());
        AfterValue();
    }
    // Catalogue bytes decoded as DecodeCatalogueText does and escaped for the inside of a JSON
    // string, at `p` with room for EscapedBound(bytes) characters; returns the end.
    static char* PutCatalogueText(char* p, std::string_view bytes);

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

    // The text written since the last Clear. A finished top-level value ends with a line feed.
    std::string_view Text() const { return {buffer_.get(), size_}; }
    void Clear() { size_ = 0; }

    // Nothing open.
    bool Done() const { return stack_.empty(); }

    // Writes the elements of an array another writer opens and closes: an array is opened only
    // to take its place (nothing of it is kept), and every element is written with a separator
    // before it, as though others came before.
    void ContinueArray(Layout layout) {
        Open('[', layout);
        size_ = 0;
        stack_.back().empty = false;
    }
    // Elements a continuing writer wrote, counted into the array open here: returns them to be
    // written after Text(), without the separator before the first of all.
    std::string_view Elements(std::string_view elements) {
        if (elements.empty()) return elements;
        Level& level = stack_.back();
        if (level.empty && elements.front() == ',') elements.remove_prefix(1);
        level.empty = false;
        return elements;
    }

private:
    struct Level {
        char close;
        Layout layout;
        bool empty;
    };

    // Room for `n` more characters at the end of the text.
    char* Room(size_t n) {
        if (capacity_ - size_ < n) Grow(n);
        return buffer_.get() + size_;
    }
    void Grow(size_t n);
    void Put(char c) { *Room(1) = c, ++size_; }
    void Put(std::string_view s) {
        std::memcpy(Room(s.size()), s.data(), s.size());
        size_ += s.size();
    }

    void Open(char bracket, Layout layout);
    void Close(char bracket);
    // Before a value: the separator and, in a Lines container, the line break and indent.
    void BeforeValue() {
        if (afterKey_) {
            afterKey_ = false;
        } else if (!stack_.empty()) {
            Level& level = stack_.back();
            if (level.layout == Inline && !level.empty) {
                Put(',');
            } else {
                Separate();
            }
        }
    }
    void Separate();
    void AfterValue() {
        if (stack_.empty()) Put('\n');
    }
    void Literal(std::string_view text) {
        BeforeValue();
        Put(text);
        AfterValue();
    }
    void Indent(size_t depth);
    // Appends `utf8` escaped, without quotes.
    void AppendEscaped(std::string_view utf8);
    void AppendDecodedEscaped(std::string_view bytes);

    std::unique_ptr<char[]> buffer_;
    size_t size_ = 0, capacity_ = 0;
    std::vector<Level> stack_;
    size_t linesDepth_ = 0;  // the Lines levels open: the indent of their members
    bool afterKey_ = false;
};

}  // namespace karvio::cli
