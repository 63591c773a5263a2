#include "Format.h"

#include <QLocale>
#include <QString>
#include <cmath>
#include <cstdio>

#include "Messages.h"

namespace karvio {

std::string FormatSize(double value) {
    double magnitude = std::fabs(value);
    if (!std::isfinite(magnitude)) magnitude = 0;
    const QString digits = QString::number(magnitude, 'f', 0);
    const QString separator = QLocale::system().groupSeparator();
    QString grouped;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) grouped += separator;
        grouped += digits[i];
    }
    return PadLeft(grouped.toStdString(), 16);
}

std::string PadLeft(const std::string& text, int width) {
    if (width <= 0) return {};
    const QString padded = QString(width, QLatin1Char(' ')) + QString::fromStdString(text);
    return padded.right(width).toStdString();
}

std::vector<const char*> AttributeWords(int32_t attributes) {
    static constexpr struct {
        int32_t bit;
        const char* word;
    } kWords[] = {{16, KARVIO_TRANSLATE_NOOP("Attributes", "directory")},
                  {2, KARVIO_TRANSLATE_NOOP("Attributes", "hidden")},
                  {1, KARVIO_TRANSLATE_NOOP("Attributes", "readonly")},
                  {4, KARVIO_TRANSLATE_NOOP("Attributes", "system")},
                  {32, KARVIO_TRANSLATE_NOOP("Attributes", "archive")}};
    std::vector<const char*> words;
    for (const auto& w : kWords) {
        if (attributes & w.bit) words.push_back(w.word);
    }
    return words;
}

std::string AttributesToText(int32_t attributes) {
    std::string text;
    for (const char* word : AttributeWords(attributes)) {
        if (!text.empty()) text += '-';
        text += word;
    }
    return " " + text + " ";
}

std::string ColorToHtml(int32_t colour) {
    char bgr[16];
    std::snprintf(bgr, sizeof bgr, "%06X", static_cast<uint32_t>(colour));
    const std::string hex = std::string(bgr).substr(std::string(bgr).size() - 6);
    // The hex digits of the value read blue-green-red; swap the outer pairs.
    std::string html(1, '#');
    html.append(hex, 4, 2).append(hex, 2, 2).append(hex, 0, 2);
    return html;
}

std::string FlattenLines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r') {
            out += '_';
        } else if (c != '\n') {
            out += c;
        }
    }
    return out;
}

bool WriteTextFile(const std::string& path, const std::string& text, bool overwrite) {
    std::FILE* f = std::fopen(path.c_str(), overwrite ? "wb" : "ab");
    if (!f) return false;
    bool ok = true;
    if (!overwrite || !text.empty()) {
        ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() &&
             std::fwrite("\r\n", 1, 2, f) == 2;
    }
    return std::fclose(f) == 0 && ok;
}

}  // namespace karvio
