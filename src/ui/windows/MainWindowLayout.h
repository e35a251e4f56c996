#pragma once
// The main window's template: every control with its rectangles in dialog
// units for English and Japanese and its English text, and the menu bar.
// The texts are keys of the "CHelperDlg" translation context.

#include <span>
#include <vector>

namespace ostiva {

enum class ControlKind { Group, Label, RightLabel, Value, Edit, Memo, Button, List };

struct LayoutRect {
    int x, y, width, height;
};

// One control of the window's template: id (-1: none), kind, rectangles in
// dialog units for English and Japanese, and the English text (the key of its
// Japanese translation).
struct ControlLayout {
    int id;
    ControlKind kind;
    LayoutRect english;
    LayoutRect japanese;
    const char* text;
    int picture;  // button picture, 0 for none
};

struct MenuItemLayout {
    int command;  // 0: a separator
    const char* text;
};
struct MenuLayout {
    const char* title;
    std::vector<MenuItemLayout> items;
};

// In creation order, which is the tab order and, for overlapping controls,
// the stacking order (group boxes first, beneath their contents).
std::span<const ControlLayout> MainWindowControls();
// The menu bar: popups in their fixed positions 0 to 3, then the about item.
std::span<const MenuLayout> MainWindowMenus();

}  // namespace ostiva
