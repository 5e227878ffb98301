// The yardstick for the program's footprint: a plain window that loads what
// the program loads from the system (common controls 6 through the same
// manifest, the theme library, the shell, Winsock) and runs a 100 ms timer
// that does nothing. Started beside zorvel.exe by gui_footprint.sh.
// With the argument "usb" it also asks for USB device arrival messages, as
// the program does at its first showing: Wine serves them from a thread of
// its own in the process, which Windows does not.
#include <winsock2.h>  // before windows.h, which would bring the old winsock.h
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>
#include <dbt.h>
#include <initguid.h>
#include <usbiodef.h>

#include <cwchar>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER: return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int show) {
    const bool usb = std::wcscmp(arguments, L"usb") == 0;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WSADATA wsa{};
    WSAStartup(MAKEWORD(2, 2), &wsa);

    WNDCLASSW cls{};
    cls.lpfnWndProc = Proc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = L"FootprintBaseline";
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, cls.lpszClassName, usb ? L"Footprint baseline usb" : L"Footprint baseline", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 520, 300, nullptr, nullptr, instance, nullptr);
    // One themed control, so the visual styles are in use as in any window
    // with controls; the theme library maps its theme file only then.
    CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 340, 220, 160, 40, window,
                    reinterpret_cast<HMENU>(1), instance, nullptr);
    HTHEME theme = OpenThemeData(window, L"BUTTON");
    SHFILEINFOW info{};
    SHGetFileInfoW(L".pdf", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME);
    HDEVNOTIFY notification = nullptr;
    if (usb) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = GUID_DEVINTERFACE_USB_DEVICE;
        notification = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    ShowWindow(window, show);
    SetTimer(window, 1, 100, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (notification) UnregisterDeviceNotification(notification);
    if (theme) CloseThemeData(theme);
    WSACleanup();
    return 0;
}
