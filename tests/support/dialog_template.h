#pragma once
// Reads an extended dialog template (DLGTEMPLATEEX) from the module's
// resources, so tests can compare the exact bytes the resource compiler wrote
// with the table the dialog was designed from.
#include "vela/text.h"

#include <vector>

struct TemplateItem {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    WORD classAtom = 0;  // 0x80 button, 0x81 edit, ...; 0 when named by text
    WString className;
    WString caption;
};

struct DialogTemplate {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WString caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    WString font;
    std::vector<TemplateItem> items;
};

// False when the resource is missing, is not an extended template or is cut short.
bool LoadDialogTemplate(HMODULE module, WORD id, DialogTemplate& out);
