#include "tests/support/gtest.h"

#include "tests/support/main_dialog.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <vector>

namespace {

// One captioned control of the live dialog, measured in its own font.
struct Caption {
    int id;
    LONG style;
    std::string text;
    std::string face;
    SIZE extent;
    RECT client;
    int missingGlyphs;
};

WString TextOf(HWND hwnd)
{
    std::vector<WCHAR> buffer(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, 0);
    GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return WString(buffer.data());
}

Caption Measure(HWND control)
{
    Caption c = {};
    c.id = GetDlgCtrlID(control);
    c.style = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    const WString text = TextOf(control);
    c.text = Utf8(text);
    GetClientRect(control, &c.client);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    WCHAR face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    c.face = Utf8(face);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &c.extent);
    // A glyph the font lacks is drawn as an empty box.
    std::vector<WORD> glyphs(text.size() + 1, 0);
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    for (size_t i = 0; i < text.size(); ++i)
        c.missingGlyphs += glyphs[i] == 0xFFFF;
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return c;
}

BOOL CALLBACK CollectButton(HWND hwnd, LPARAM data)
{
    WCHAR name[32] = {};
    GetClassNameW(hwnd, name, 32);
    if (WString(name) == TEXT("Button"))
        reinterpret_cast<std::vector<Caption>*>(data)->push_back(Measure(hwnd));
    return TRUE;
}

// The room a caption needs besides its text: a check box draws its box and a
// gap before the text, a push button its edges, a group box its frame's
// corner before and after the title.
int Overhead(LONG style)
{
    switch (style) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
        return GetSystemMetrics(SM_CXMENUCHECK) + 4;
    case BS_GROUPBOX:
        return 2 * 8;
    default:
        return 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
    }
}

TEST(CaptionFit, EveryCaptionOfTheMainDialogFitsItsControl)
{
    TempDir dir;
    auto dialog = OpenMainDialog(dir / TEXT("tagscribe.dat"));
    ASSERT_TRUE(dialog);
    std::vector<Caption> captions;
    EnumChildWindows(dialog->hwnd, CollectButton, reinterpret_cast<LPARAM>(&captions));
    // 5 check boxes, 4 push buttons, 5 group boxes.
    ASSERT_EQ(captions.size(), 14u);
    for (const Caption& c : captions) {
        const int width = c.client.right - c.client.left;
        const int height = c.client.bottom - c.client.top;
        const std::string where = "control " + std::to_string(c.id) + " \"" + c.text +
                                  "\" in " + c.face + ", code page " + std::to_string(GetACP());
        EXPECT_EQ(c.missingGlyphs, 0) << where;
        EXPECT_LE(c.extent.cx + Overhead(c.style), width) << where;
        if (c.style != BS_GROUPBOX) {
            EXPECT_LE(c.extent.cy, height) << where;
        }
    }
    dialog.reset();
    TakeQuitMessage();
}

} // namespace
