#include "ListWriter.h"

#include <cstdio>
#include <ctime>

#include "CatalogueDate.h"
#include "CatalogueText.h"

namespace karvio {

namespace {

constexpr size_t kPiece = 64 * 1024;

void AppendJsonEscaped(std::string& out, std::string_view utf8) {
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            switch (c) {
                case '\n': out += "\\n"; break;
                case '\r': out += "\\r"; break;
                case '\t': out += "\\t"; break;
                default:
                    std::snprintf(escape, sizeof escape, "\\u%04x", u);
                    out += escape;
            }
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string IsoDateWithLocalOffset(double date) {
    if (date == 0) return {};
    std::string text = DateToIso(date);
    // The offset of local time at that date and time.
    const std::time_t t = TimeTFromDate(date);
    std::tm local{};
    if (!::localtime_r(&t, &local)) return text;
    const long offset = local.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char zone[8];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60 % 100, minutes % 60);
    return text + zone;
}

ListWriter::ListWriter(ListFormat format, std::vector<std::string> columns, Sink sink)
    : format_(format), columns_(std::move(columns)), sink_(std::move(sink)) {
    if (format_ == ListFormat::Json) {
        out_ += '[';
        return;
    }
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (i > 0) out_ += ',';
        Quoted(columns_[i]);
    }
    out_ += "\r\n";
}

ListWriter::~ListWriter() { Finish(); }

void ListWriter::BeforeCell() {
    if (format_ == ListFormat::Csv) {
        if (cell_ > 0) out_ += ',';
    } else {
        out_ += cell_ == 0 ? (rows_ == 0 ? "\n{\"" : ",\n{\"") : ",\"";
        out_ += cell_ < columns_.size() ? columns_[cell_] : "column" + std::to_string(cell_ + 1);
        out_ += "\":";
    }
    ++cell_;
}

void ListWriter::Quoted(std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        out_ += utf8;
        return;
    }
    out_ += '"';
    for (const char c : utf8) {
        if (c == '"') out_ += '"';
        out_ += c;
    }
    out_ += '"';
}

void ListWriter::Text(std::string_view utf8) {
    BeforeCell();
    if (format_ == ListFormat::Csv) {
        Quoted(utf8);
    } else {
        out_ += '"';
        AppendJsonEscaped(out_, utf8);
        out_ += '"';
    }
}

void ListWriter::CatalogueText(std::string_view bytes) { Text(DecodeCatalogueText(bytes)); }

void ListWriter::Int(int64_t value) {
    BeforeCell();
    out_ += std::to_string(value);
}

void ListWriter::Bool(bool value) {
    BeforeCell();
    out_ += value ? "true" : "false";
}

void ListWriter::Date(double date) {
    if (date == 0) {
        Empty();
        return;
    }
    Text(IsoDateWithLocalOffset(date));
}

void ListWriter::Empty() {
    BeforeCell();
    if (format_ == ListFormat::Json) out_ += "null";
}

void ListWriter::EndRow() {
    if (format_ == ListFormat::Csv) {
        out_ += "\r\n";
    } else {
        out_ += '}';
    }
    cell_ = 0;
    ++rows_;
    Flush(false);
}

void ListWriter::Flush(bool always) {
    if (out_.empty() || (!always && out_.size() < kPiece)) return;
    sink_(out_);
    out_.clear();
}

void ListWriter::Finish() {
    if (finished_) return;
    finished_ = true;
    if (format_ == ListFormat::Json) out_ += rows_ == 0 ? "]\n" : "\n]\n";
    Flush(true);
}

}  // namespace karvio
