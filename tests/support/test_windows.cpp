#include "tests/support/test_windows.h"

static const WCHAR* WrappedClass()
{
    static const WCHAR* const name = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = vela::WindowProc;
        wc.hInstance = vela::ModuleInstance;
        wc.lpszClassName = TEXT("VelaTestWindow");
        RegisterClassExW(&wc);
        return wc.lpszClassName;
    }();
    return name;
}

HWND CreateWrappedWindow(vela::Window& w)
{
    return CreateWindowExW(0, WrappedClass(), TEXT("test"), WS_OVERLAPPEDWINDOW, 0, 0, 200,
                           100, nullptr, nullptr, vela::ModuleInstance, &w);
}
