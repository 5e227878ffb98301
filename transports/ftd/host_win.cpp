#include "host.h"

#include <windows.h>

#include <commctrl.h>
#include <dbt.h>

#include "compat/platform.h"
#include "transports/FTD.h"

namespace ftd {

namespace {

// How often the wait looks at the abort flag when no message comes.
constexpr DWORD kAbortCheckMs = 100;
constexpr DWORD kTerminateWaitMs = 5000;

// GUID_DEVINTERFACE_USB_DEVICE: every USB device, whatever its driver.
constexpr GUID kUsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr UINT_PTR kWatchId = 1;
// Marks a watched window (MinGW's comctl32 offers no GetWindowSubclass).
constexpr wchar_t kWatchedProperty[] = L"ZorvelUsbDeviceWatch";

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() { CloseHandle(handle_); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// Dispatches what is queued; false when the program was asked to quit (the
// request is put back for the window's own loop).
bool DispatchPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

bool IsDeviceChange(WPARAM event) {
    return event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE || event == DBT_DEVNODES_CHANGED;
}

// Sits in front of the window's own procedure; `data` is the notification
// registration, released with the window.
LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_DEVICECHANGE && IsDeviceChange(wParam)) {
        cFTD::ScanDevicesCount();
    } else if (message == WM_NCDESTROY) {
        if (data) UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(data));
        RemoveWindowSubclass(window, WatchProc, kWatchId);
        RemovePropW(window, kWatchedProperty);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

InstallerEnd RunInstaller(const std::string& path, const std::atomic<std::uint8_t>& installing, int& systemError) {
    const std::wstring program = compat::Utf8ToWide(path);
    const std::size_t cut = program.find_last_of(L"\\/");
    const std::wstring directory = cut == std::wstring::npos ? std::wstring() : program.substr(0, cut);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &started)) {
        systemError = static_cast<int>(GetLastError());
        return InstallerEnd::NotStarted;
    }
    CloseHandle(started.hThread);
    const OwnedHandle process(started.hProcess);
    for (;;) {
        // MWMO_INPUTAVAILABLE: also wake for messages that were already queued.
        HANDLE waits[1] = {process.Get()};
        const DWORD waited = MsgWaitForMultipleObjectsEx(1, waits, kAbortCheckMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_FAILED) return InstallerEnd::Finished;
        if (waited == WAIT_OBJECT_0 + 1 && !DispatchPending()) return InstallerEnd::LeftRunning;
        if (installing.load() == 0) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), kTerminateWaitMs);
            return InstallerEnd::Aborted;
        }
    }
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(compat::Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsAbsolutePath(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool unc = path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
    return drive || unc;
}

void WatchDeviceChanges(void* hWnd) {
    HWND window = static_cast<HWND>(hWnd);
    if (!window || !IsWindow(window) || GetPropW(window, kWatchedProperty)) return;
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kUsbDeviceInterface;
    // Without the registration only the coarser DBT_DEVNODES_CHANGED arrives,
    // which is still enough to rescan.
    HDEVNOTIFY notify = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!SetWindowSubclass(window, WatchProc, kWatchId, reinterpret_cast<DWORD_PTR>(notify))) {
        if (notify) UnregisterDeviceNotification(notify);
        return;
    }
    SetPropW(window, kWatchedProperty, reinterpret_cast<HANDLE>(1));
}

}  // namespace ftd
