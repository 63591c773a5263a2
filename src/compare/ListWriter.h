// Writes a list the program shows as CSV (RFC 4180: a header line, fields quoted where they hold
// a comma, a quote or a line break, quotes doubled, lines ended by CRLF) or as JSON (an array of
// objects whose members are the columns, numbers as numbers). Always UTF-8: catalogue bytes are
// decoded as the program shows them. Sizes are whole byte counts, dates ISO 8601 with the local
// offset. Writes as it goes into a sink, so a list of a million rows needs no document in memory.
// One thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace karvio {

enum class ListFormat { Csv, Json };

class ListWriter {
public:
    using Sink = std::function<void(std::string_view)>;

    ListWriter(ListFormat format, std::vector<std::string> columns, Sink sink);
    ~ListWriter();
    ListWriter(const ListWriter&) = delete;
    ListWriter& operator=(const ListWriter&) = delete;

    // The cells of one row, in column order; EndRow after the last.
    void Text(std::string_view utf8);
    void CatalogueText(std::string_view bytes);
    void Int(int64_t value);
    void Bool(bool value);
    // A catalogue date; empty (null in JSON) for 0.
    void Date(double date);
    void Empty();  // an empty cell (null in JSON)
    void EndRow();
    // Ends the list (the JSON array) and hands what is left to the sink. Called by the
    // destructor when not called before.
    void Finish();

    int64_t Rows() const { return rows_; }

private:
    void BeforeCell();
    void Flush(bool always);
    void Quoted(std::string_view utf8);

    ListFormat format_;
    std::vector<std::string> columns_;
    Sink sink_;
    std::string out_;
    size_t cell_ = 0;
    int64_t rows_ = 0;
    bool finished_ = false;
};

// "2024-03-01T14:05:09+01:00"; empty for 0.
std::string IsoDateWithLocalOffset(double date);

}  // namespace karvio
