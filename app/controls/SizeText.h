// Sizes as the windows show them: as file managers do ("125.9 MB", one decimal, the locale's
// separators) with the exact byte count beside them where there is room, or, when the user
// chose View > "Exact Sizes in Bytes", as exact counts grouped in thousands in the lists too.
// The HTML report keeps its own format. The choice is kept in the settings; SizeDisplay tells
// the windows when it changes. User-interface thread.
#pragma once

#include <QObject>
#include <QString>

namespace karvio {

// "512 bytes", "1.0 KB", "125.9 MB", "4.5 TB": powers of 1024, one decimal, the system locale.
// A negative value (a directory's stored size) shows its magnitude.
QString HumanSizeText(double bytes);
// "132,014,655 bytes".
QString ExactSizeText(double bytes);
// What a list cell shows: HumanSizeText, or the exact count without a word when the exact
// sizes are chosen.
QString ListSizeText(double bytes);
// What a details pane or dialog shows: "125.9 MB (132,014,655 bytes)"; the exact count alone
// when it is below 1 KB or the exact sizes are chosen.
QString FullSizeText(double bytes);

class SizeDisplay : public QObject {
    Q_OBJECT

public:
    static SizeDisplay& Instance();
    // Whether the lists show exact byte counts (read from the settings on first use).
    bool Exact();
    // Stores the choice and tells the windows.
    void SetExact(bool exact);

signals:
    void changed();

private:
    SizeDisplay() = default;
    int exact_ = -1;  // -1: not read yet
};

}  // namespace karvio
