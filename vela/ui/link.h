#pragma once
// A rule by which a source window (a check box, an edit box, a menu item)
// sets the state of another window from its own. The source class decides
// what each type means; Window itself gives none.

namespace vela {

class Window;

enum LinkType {
    LinkEnable = 1,
    LinkDisable = 2,
    LinkShow = 3,
    LinkHide = 4,
    LinkTopmost = 5,
    LinkBand = 7,
};

struct Link {
    Window* target;  // not owned; must outlive the source
    int type;
    int value;
};

} // namespace vela
