#pragma once
// Menu items, tool bars and rebars as far as command bindings use them.
#include "vela/ui/window.h"

#include <boost/shared_ptr.hpp>

namespace vela {

// A menu whose handle the command bindings read; not owned.
struct Menu {
    HMENU handle;
};

// One item of a menu, always addressed by its zero-based position.
struct MenuItemRef {
    Menu* menu;
    UINT position;

    UINT State() const;
    bool IsChecked() const;
    BOOL SetCheck(bool on);
    // Sets target from (State() & mask) != 0 according to the link type.
    void Apply(Window* target, int type, UINT mask) const;
};

// A tool-bar button (id) or a rebar band (index) of the bar owner.
struct BarItem {
    Window* owner;
    int index;
    int id;

    void CheckButton(bool on);
    void ShowBand(bool on);
};

using BarItemList = std::vector<boost::shared_ptr<BarItem>>;

class ToolBar : public Window {
public:
    // Creates a tool bar as child id of owner and attaches this wrapper.
    bool Create(Window& owner, int id);
    // Appends a check button with command id; its item follows in `items`.
    bool AddCheckButton(int command);
    // The item of the button with this command, or null.
    BarItem* FindButton(UINT command);

    BarItemList items;  // one per button, in bar order
};

class ReberControl : public Window {
public:
    // Creates a rebar as child id of owner and attaches this wrapper.
    bool Create(Window& owner, int id);
    // Appends a band that holds child; its item follows in `items`.
    bool AddBand(Window& child);
    // The item of the band that holds child, or null.
    BarItem* FindBand(Window& child);

    BarItemList items;  // one per band, in bar order
};

} // namespace vela
