// A file's or directory's attributes as the windows show them: the catalogue's attribute words
// ("directory-hidden") in the user's language. The report and karvio-cli keep the English words.
#pragma once

#include <QString>
#include <cstdint>

namespace karvio {

// "directory", "readonly-archive": the words joined by "-", no blanks around; empty for none.
QString AttributesText(int32_t attributes);

}  // namespace karvio
