// Catalogue dates as the user reads them: the system locale's short date, followed by the time
// of day when it is not midnight. Stateless; any thread once the locale is set.
#pragma once

#include <string>

namespace karvio {

// "3/1/24 2:05:09 PM" in an English locale, "01.03.24 14:05:09" in a German one; the date alone
// at midnight. UTF-8.
std::string DateToText(double date);

}  // namespace karvio
