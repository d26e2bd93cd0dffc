#include "tests/support/gtest.h"

#include "tests/support/temp_dir.h"
#include "vela/text.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

constexpr WORD kMainDialog = 102;
constexpr WORD kIconGroup = 101;

constexpr DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kPush = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kGroup = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER |
                               DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

struct Control {
    int id;
    const WCHAR* caption;
    short x, y, cx, cy;
    DWORD style;  // kEdit for the Edit class, else a Button
};

// The dialog as designed, in tab order.
const Control kControls[] = {
    {1001, TEXT(""), 20, 35, 100, 14, kEdit},
    {1003, TEXT("参照"), 125, 35, 30, 14, kPush},
    {1002, TEXT("入力元と同じフォルダに出力する"), 20, 55, 117, 10, kCheck},
    {1004, TEXT(""), 170, 35, 100, 14, kEdit},
    {1010, TEXT("参照"), 275, 35, 30, 14, kPush},
    {1005, TEXT("入力元と同じファイル名で出力する"), 170, 55, 125, 10, kCheck},
    {1006, TEXT(""), 320, 35, 35, 14, kEdit},
    {1011, TEXT("フォルダ登録時にサブフォルダも検索する"), 15, 96, 140, 10, kCheck},
    {1009, TEXT("ウィンドウを常に最前面に表示"), 195, 96, 111, 10, kCheck},
    {1012, TEXT("歌詞が存在しない場合は空のファイルを出力する"), 15, 111, 169, 10, kCheck},
    {1008, TEXT("ヘルプ"), 320, 90, 50, 14, kPush},
    {1007, TEXT("終了"), 320, 110, 50, 14, kPush},
    {-1, TEXT("出力先"), 5, 5, 365, 75, kGroup},
    {-1, TEXT("フォルダ"), 15, 20, 145, 50, kGroup},
    {-1, TEXT("ファイル名"), 165, 20, 145, 50, kGroup},
    {-1, TEXT("拡張子"), 315, 20, 45, 50, kGroup},
    {-1, TEXT("その他"), 5, 85, 305, 40, kGroup},
};
constexpr size_t kControlCount = sizeof(kControls) / sizeof(kControls[0]);

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct WindowCloser {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using DialogWindow = std::unique_ptr<std::remove_pointer<HWND>::type, WindowCloser>;

DialogWindow CreateMainDialog()
{
    return DialogWindow(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMainDialog),
                                           nullptr, QuietDialogProc, 0));
}

WString TextOf(HWND window)
{
    WCHAR buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

std::string ClassOf(HWND window)
{
    WCHAR buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return Utf8(buffer);
}

// A rectangle in dialog units as the dialog manager places it: position and
// size are converted separately, so the far edge is the sum of two rounded values.
RECT DesignedRect(HWND dialog, short x, short y, short cx, short cy)
{
    RECT r = {x, y, cx, cy};
    MapDialogRect(dialog, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

std::string ResourceBytes(LPCWSTR name, LPCWSTR type)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, name, type);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const char* data = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    return data ? std::string(data, SizeofResource(module, info)) : std::string();
}

std::string Utf16Bytes(const WString& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(WCHAR));
}

}  // namespace

TEST(DialogTemplate, DialogHasDesignedStyleSizeAndFont)
{
    DialogWindow dialog = CreateMainDialog();
    ASSERT_TRUE(dialog) << GetLastError();
    HWND dlg = dialog.get();
    DWORD style = GetWindowLongW(dlg, GWL_STYLE);
    EXPECT_EQ(style & kDialogStyle, kDialogStyle) << std::hex << style;
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(Utf8(TextOf(dlg)), "Tagscribe");

    RECT client, designed = DesignedRect(dlg, 0, 0, 375, 130);
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, designed.right);
    EXPECT_EQ(client.bottom, designed.bottom);

    // wrc writes 0 for the template's character set whatever the .rc says, so
    // the font the dialog really gets is what counts.
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
    ASSERT_TRUE(font);
    LOGFONTW log = {};
    ASSERT_TRUE(GetObjectW(font, sizeof log, &log));
    EXPECT_EQ(Utf8(log.lfFaceName), "MS Shell Dlg");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(log.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72)) << "8 points";
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(log.lfWeight, FW_NORMAL);
    EXPECT_EQ(log.lfItalic, 0);
    EXPECT_EQ(log.lfCharSet, DEFAULT_CHARSET);
}

TEST(DialogTemplate, JapaneseCaptionsAreExactUtf16)
{
    // Code units written out, so a misread source encoding cannot hide on both sides.
    const WCHAR browse[] = {0x53C2, 0x7167, 0};
    const WCHAR help[] = {0x30D8, 0x30EB, 0x30D7, 0};
    const WCHAR exit[] = {0x7D42, 0x4E86, 0};
    EXPECT_EQ(WString(kControls[1].caption), WString(browse));
    EXPECT_EQ(WString(kControls[10].caption), WString(help));
    EXPECT_EQ(WString(kControls[11].caption), WString(exit));
    EXPECT_EQ(Utf8(kControls[9].caption), "歌詞が存在しない場合は空のファイルを出力する");
}

TEST(DialogTemplate, ControlsMatchDesignInOrder)
{
    DialogWindow dialog = CreateMainDialog();
    ASSERT_TRUE(dialog) << GetLastError();
    HWND dlg = dialog.get();
    size_t i = 0;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, kControlCount) << "more child windows than designed";
        const Control& want = kControls[i];
        SCOPED_TRACE("child " + std::to_string(i) + " id " + std::to_string(want.id));
        EXPECT_EQ(static_cast<int>(GetWindowLongPtrW(child, GWLP_ID)), want.id);
        if (want.id != -1) {
            EXPECT_EQ(GetDlgItem(dlg, want.id), child);
        }
        bool edit = want.style == kEdit;
        EXPECT_EQ(ClassOf(child), edit ? "Edit" : "Button");
        EXPECT_EQ(TextOf(child), WString(want.caption)) << Utf8(TextOf(child));

        // An edit box may trade WS_BORDER for the sunken client edge when it is created.
        DWORD live = GetWindowLongW(child, GWL_STYLE);
        DWORD liveEx = GetWindowLongW(child, GWL_EXSTYLE);
        EXPECT_EQ(live & ~DWORD(WS_BORDER), want.style & ~DWORD(WS_BORDER)) << std::hex << live;
        if (edit) {
            EXPECT_TRUE((live & WS_BORDER) || (liveEx & WS_EX_CLIENTEDGE)) << std::hex << live;
        }
        EXPECT_EQ(liveEx & ~DWORD(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY), 0u) << std::hex << liveEx;

        RECT designed = DesignedRect(dlg, want.x, want.y, want.cx, want.cy);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_TRUE(EqualRect(&actual, &designed))
            << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom;
    }
    EXPECT_EQ(i, kControlCount);
}

TEST(DialogTemplate, TabKeyVisitsControlsInDesignedOrder)
{
    DialogWindow dialog = CreateMainDialog();
    ASSERT_TRUE(dialog);
    HWND dlg = dialog.get();
    std::vector<int> expected;
    for (const Control& c : kControls)
        if (c.style & WS_TABSTOP)
            expected.push_back(c.id);
    std::vector<int> visited;
    HWND first = GetDlgItem(dlg, expected.front());
    HWND at = first;
    do {
        visited.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(dlg, at, FALSE);
    } while (at && at != first && visited.size() <= kControlCount);
    EXPECT_EQ(visited, expected);
}

TEST(Resources, IconGroupLoadsAtSmallAndLargeSizes)
{
    for (int size : {16, 32}) {
        SCOPED_TRACE(size);
        HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconGroup), IMAGE_ICON,
                                 size, size, 0);
        ASSERT_TRUE(icon);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST(Resources, IconGroupHolds16To48PixelImagesWithAlpha)
{
    std::string group = ResourceBytes(MAKEINTRESOURCEW(kIconGroup), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    auto word = [&](size_t at) { return WORD(BYTE(group[at]) | BYTE(group[at + 1]) << 8); };
    ASSERT_EQ(group.size(), 6u + 3 * 14);  // three packed 14-byte GRPICONDIRENTRYs
    ASSERT_EQ(word(4), 3);
    std::vector<int> sizes;
    for (size_t entry = 6; entry < group.size(); entry += 14) {
        sizes.push_back(BYTE(group[entry]));
        EXPECT_EQ(BYTE(group[entry + 1]), sizes.back()) << "square";
        EXPECT_EQ(word(entry + 6), 32) << "bits per pixel";
    }
    std::sort(sizes.begin(), sizes.end());  // wrc lists them largest first
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

TEST(Resources, ManifestAndVersionBlock)
{
    std::string manifest = ResourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos) << manifest;
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;

    std::string version = ResourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    EXPECT_NE(version.find(std::string("\xBD\x04\xEF\xFE", 4)), std::string::npos) << "fixed info signature";
    for (const WCHAR* text : {TEXT("VS_VERSION_INFO"), TEXT("ProductName"), TEXT("Tagscribe"),
                              TEXT("CompanyName"), TEXT("Orvane")})
        EXPECT_NE(version.find(Utf16Bytes(text)), std::string::npos) << Utf8(text);
}
