// The picture numbers a category record may hold: the default picture every new category gets
// and the range of pictures the program ships. The desktop program draws them (ItemIcons.h);
// the command-line tool uses these bounds to refuse a number that would show no picture.
#pragma once

#include <cstdint>

namespace karvio {

inline constexpr int32_t kDefaultCategoryImage = 6;
inline constexpr int32_t kFirstChosenCategoryImage = 7;
// Twelve chosen pictures follow the default one.
inline constexpr int32_t kLastCategoryImage = kFirstChosenCategoryImage - 1 + 12;

inline constexpr bool IsShippedCategoryImage(int32_t image) {
    return image >= kDefaultCategoryImage && image <= kLastCategoryImage;
}

}  // namespace karvio
