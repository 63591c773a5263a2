// The order in which the windows show names: the collation of the user's locale, letter case
// ignored and runs of digits compared as numbers ("disc 2" before "disc 10"), as the desktop's
// file managers sort. Under the C locale, which collates by code point and knows no numbers,
// English collation stands in. Any thread; a collator is not shared between threads.
#pragma once

#include <QCollator>

namespace karvio {

QCollator NaturalCollator();

}  // namespace karvio
