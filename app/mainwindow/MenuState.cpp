#include "mainwindow/MenuState.h"

namespace karvio {

namespace {

// One line of the table: the item and its state in modes 0 to 5; -1 leaves it unchanged.
struct Line {
    MenuStateItem item;
    int state[6];
};

using I = MenuStateItem;
constexpr Line kTable[] = {
    {I::kButtonAdd, {1, 1, 1, 1, 1, 0}},        {I::kCdAdd, {1, 1, 1, 1, 1, 0}},
    {I::kButtonEdit, {0, 1, 1, 0, 0, 0}},       {I::kButtonDelete, {0, 1, 1, 0, 0, 0}},
    {I::kButtonRescan, {0, 1, 1, 0, 0, 0}},     {I::kCdEdit, {0, 1, 1, 0, 0, 0}},
    {I::kCdDelete, {0, 1, 1, 0, 0, 0}},         {I::kCdRescan, {0, 1, 1, 0, 0, 0}},
    {I::kButtonPreview, {0, 0, 1, 0, 1, 0}},    {I::kFilePreview, {0, 0, 1, 0, 1, 0}},
    {I::kButtonPrint, {0, 0, 0, 0, 1, 0}},      {I::kButtonSave, {0, 0, 0, 0, 1, 0}},
    {I::kFilePrint, {0, 0, 0, 0, 1, 0}},        {I::kFileSave, {-1, -1, 0, 0, 1, 0}},
    {I::kButtonSearch, {0, 1, 1, 1, 1, 0}},     {I::kCdSearch, {0, 1, 1, 1, 1, 0}},
    {I::kFileBackup, {0, 1, 1, 1, 1, 0}},       {I::kFileCompact, {0, 1, 1, 1, 1, 0}},
    {I::kButtonCategories, {1, 1, 1, 0, 0, 0}}, {I::kButtonTree, {0, 0, 0, 1, 1, 0}},
    {I::kCDShowList, {0, 0, 0, 1, 0, 0}},       {I::kButtonSetup, {1, 1, 1, 1, 1, 0}},
};

}  // namespace

MenuStateRow MenuStateFor(int mode) {
    MenuStateRow row{};
    if (mode < 0 || mode > 5) return row;
    for (const Line& line : kTable) {
        const int state = line.state[mode];
        if (state >= 0) row[static_cast<int>(line.item)] = state == 1;
    }
    return row;
}

}  // namespace karvio
