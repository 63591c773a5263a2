// Which commands of the main window each context allows: the table behind SetMenuState. Pure;
// any thread.
#pragma once

#include <array>
#include <optional>

namespace karvio {

// Contexts of SetMenuState.
enum MenuMode : int {
    kModeEmptyCatalogue = 0,  // the catalogue holds no CD
    kModeNoCdShown = 1,       // CDs exist but the CD panel shows none
    kModeCdShown = 2,         // a CD (or the explorer) is shown
    kModeSearch = 3,          // the search window is active
    kModePreview = 4,         // the report preview is active
    kModeBusy = 5,            // a search or report runs, or the data file cannot be used
};

// The toolbar buttons and menu items SetMenuState governs.
enum class MenuStateItem {
    kButtonAdd,         // toolbar button 1
    kButtonEdit,        // 2
    kButtonDelete,      // 3
    kButtonRescan,      // 4
    kButtonPreview,     // 6
    kButtonPrint,       // 7
    kButtonSave,        // 8
    kButtonSearch,      // 10
    kButtonCategories,  // 12
    kButtonTree,        // 14
    kButtonSetup,       // 16
    kCdAdd,
    kCdEdit,
    kCdDelete,
    kCdRescan,
    kFilePreview,
    kFilePrint,
    kFileSave,
    kCdSearch,
    kFileBackup,
    kFileCompact,
    kCDShowList,
    kCount,
};

inline constexpr int kMenuStateItemCount = static_cast<int>(MenuStateItem::kCount);

// Per item: enabled, disabled, or left as it is (no value). Modes outside 0..5 change nothing.
using MenuStateRow = std::array<std::optional<bool>, kMenuStateItemCount>;
MenuStateRow MenuStateFor(int mode);

}  // namespace karvio
