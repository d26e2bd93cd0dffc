#include "tests/support/gtest.h"

#include "tests/support/dialog_template.h"
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

constexpr WORD kButtonAtom = 0x80;
constexpr WORD kEditAtom = 0x81;

struct Control {
    int id;
    const WCHAR* caption;
    short x, y, cx, cy;
    DWORD style;
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

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER |
                               DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

bool IsEdit(const Control& c) { return c.style == kEdit; }

std::string Printable(const WString& text) { return Utf8(text); }

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

WString ClassOf(HWND window)
{
    WCHAR buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
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

TEST(DialogTemplate, HeaderMatchesDesign)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(GetModuleHandleW(nullptr), kMainDialog, t));
    EXPECT_EQ(t.style, kDialogStyle) << std::hex << t.style;
    EXPECT_EQ(t.exStyle, DWORD(WS_EX_ACCEPTFILES)) << std::hex << t.exStyle;
    EXPECT_EQ(t.cx, 375);
    EXPECT_EQ(t.cy, 130);
    EXPECT_EQ(Printable(t.caption), "Tagscribe");
    EXPECT_EQ(Printable(t.font), "MS Shell Dlg");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.weight, 400);
    EXPECT_EQ(t.italic, 0);
    // The template's character-set byte is not checked: wrc always writes 0
    // whatever the .rc says, and Wine's dialog manager ignores the byte. The
    // font the dialog really gets is checked below.
}

TEST(DialogTemplate, DialogFontIsShellFontWithDefaultCharset)
{
    DialogWindow dialog = CreateMainDialog();
    ASSERT_TRUE(dialog);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog.get(), WM_GETFONT, 0, 0));
    ASSERT_TRUE(font);
    LOGFONTW log = {};
    ASSERT_TRUE(GetObjectW(font, sizeof log, &log));
    EXPECT_EQ(Printable(log.lfFaceName), "MS Shell Dlg");
    EXPECT_EQ(log.lfWeight, FW_NORMAL);
    EXPECT_EQ(log.lfItalic, 0);
    EXPECT_EQ(log.lfCharSet, DEFAULT_CHARSET);
}

TEST(DialogTemplate, EveryControlMatchesDesignInTabOrder)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(GetModuleHandleW(nullptr), kMainDialog, t));
    ASSERT_EQ(t.items.size(), kControlCount);
    for (size_t i = 0; i < kControlCount; ++i) {
        const Control& want = kControls[i];
        const TemplateItem& got = t.items[i];
        SCOPED_TRACE("item " + std::to_string(i) + " id " + std::to_string(want.id));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.classAtom, IsEdit(want) ? kEditAtom : kButtonAtom);
        EXPECT_EQ(got.caption, WString(want.caption)) << Printable(got.caption);
        EXPECT_EQ(got.style, want.style) << std::hex << got.style;
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
    }
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

TEST(DialogTemplate, CreatesHiddenDialogWithControlsInOrder)
{
    DialogWindow dialog = CreateMainDialog();
    ASSERT_TRUE(dialog) << GetLastError();
    HWND dlg = dialog.get();

    DWORD style = GetWindowLongW(dlg, GWL_STYLE);
    EXPECT_EQ(style & kDialogStyle, kDialogStyle) << std::hex << style;
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(Printable(TextOf(dlg)), "Tagscribe");

    size_t i = 0;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, kControlCount) << "more child windows than designed";
        const Control& want = kControls[i];
        SCOPED_TRACE("child " + std::to_string(i) + " id " + std::to_string(want.id));

        EXPECT_EQ(static_cast<int>(GetWindowLongPtrW(child, GWLP_ID)), want.id);
        if (want.id != -1) {
            EXPECT_EQ(GetDlgItem(dlg, want.id), child);
        }
        EXPECT_EQ(Printable(ClassOf(child)), IsEdit(want) ? "Edit" : "Button");
        EXPECT_EQ(TextOf(child), WString(want.caption)) << Printable(TextOf(child));

        // An edit box may trade WS_BORDER for the sunken client edge when it is created.
        DWORD live = GetWindowLongW(child, GWL_STYLE);
        DWORD liveEx = GetWindowLongW(child, GWL_EXSTYLE);
        EXPECT_EQ(live & ~DWORD(WS_BORDER), want.style & ~DWORD(WS_BORDER)) << std::hex << live;
        if (IsEdit(want)) {
            EXPECT_TRUE((live & WS_BORDER) || (liveEx & WS_EX_CLIENTEDGE)) << std::hex << live;
        }

        // The dialog manager converts position and size separately, so the far
        // edge is the sum of two rounded values.
        RECT origin = {want.x, want.y, want.cx, want.cy};
        MapDialogRect(dlg, &origin);
        RECT designed = {origin.left, origin.top, origin.left + origin.right, origin.top + origin.bottom};
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, designed.left);
        EXPECT_EQ(actual.top, designed.top);
        EXPECT_EQ(actual.right, designed.right);
        EXPECT_EQ(actual.bottom, designed.bottom);
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
    ASSERT_GE(group.size(), 6u);
    auto word = [&](size_t at) { return WORD(BYTE(group[at]) | BYTE(group[at + 1]) << 8); };
    ASSERT_EQ(word(4), 3);
    ASSERT_EQ(group.size(), 6u + 3 * 14);  // GRPICONDIRENTRY is 14 bytes, packed
    std::vector<int> sizes;
    for (int i = 0; i < 3; ++i) {
        size_t entry = 6 + 14 * i;
        sizes.push_back(BYTE(group[entry]));
        EXPECT_EQ(BYTE(group[entry + 1]), sizes.back()) << "square";
        EXPECT_EQ(word(entry + 6), 32) << "bits per pixel";
    }
    std::sort(sizes.begin(), sizes.end());  // wrc lists them largest first
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

TEST(Resources, ManifestAsksForCommonControls6AsInvoker)
{
    std::string manifest = ResourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

TEST(Resources, VersionBlockNamesProductAndCompany)
{
    std::string version = ResourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    ASSERT_FALSE(version.empty());
    EXPECT_NE(version.find(Utf16Bytes(TEXT("VS_VERSION_INFO"))), std::string::npos);
    EXPECT_NE(version.find(std::string("\xBD\x04\xEF\xFE", 4)), std::string::npos) << "fixed info signature";
    EXPECT_NE(version.find(Utf16Bytes(TEXT("ProductName"))), std::string::npos);
    EXPECT_NE(version.find(Utf16Bytes(TEXT("Tagscribe"))), std::string::npos);
    EXPECT_NE(version.find(Utf16Bytes(TEXT("CompanyName"))), std::string::npos);
    EXPECT_NE(version.find(Utf16Bytes(TEXT("Orvane"))), std::string::npos);
}
