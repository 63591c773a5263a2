// The quick-find query language: words that must all match (any order), "exact phrases",
// and filters kind:, ext:, size: and date:. Texts are compared folded as the search walk folds
// them (FoldText: letter case and composition ignored, German sharp s equal to "ss").
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace karvio {

// How a word is compared with a name: the whole name, its beginning, or anywhere in it.
enum class QuickMatchMode { WholeField = 0, Beginning = 1, Anywhere = 2 };

// Decodes stored name bytes: UTF-8 when valid, else Windows-1252.
QString QuickDecodeName(const QByteArray& raw);
// The comparison form of a text (FoldText).
QString QuickFold(const QString& text);

struct QuickRange {
    int64_t low = INT64_MIN;
    int64_t high = INT64_MAX;
    bool Contains(int64_t v) const { return v >= low && v <= high; }
};

struct QuickQuery {
    QStringList words;      // folded; each must match
    QStringList phrases;    // folded; each must appear as written
    int kindMask = 0;       // bit 0 CD, bit 1 directory, bit 2 file; 0 = any
    QStringList extensions; // folded, without the dot; empty = any
    std::optional<QuickRange> size;
    std::optional<QuickRange> year; // date: filter, by year
    QString error;                  // set when a filter could not be read

    bool IsEmpty() const;
    // True when the folded name passes the words and phrases in the given mode.
    bool MatchesName(const QString& foldedName, QuickMatchMode mode) const;
};

QuickQuery ParseQuickQuery(const QString& text);

} // namespace karvio
