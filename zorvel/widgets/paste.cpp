#include "zorvel/widgets/paste.h"

#include <string>

namespace widgets {

namespace {

constexpr wchar_t kCtrlX = 0x18, kCtrlC = 0x03, kCtrlV = 0x16;

bool Pressed(int key) { return (GetKeyState(key) & 0x8000) != 0; }

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

}  // namespace

bool IsClipboardCharacter(wchar_t key) { return key == kCtrlX || key == kCtrlC || key == kCtrlV; }

bool PasteKeyToMessage(HWND edit, UINT msg, WPARAM wp) {
    const bool ctrlV = msg == WM_CHAR && wp == kCtrlV;
    const bool shiftInsert = msg == WM_KEYDOWN && wp == VK_INSERT && Pressed(VK_SHIFT) && !Pressed(VK_CONTROL);
    if (!ctrlV && !shiftInsert) return false;
    SendMessageW(edit, WM_PASTE, 0, 0);
    return true;
}

void PasteFiltered(HWND edit, const std::function<void(wchar_t& key)>& filter) {
    if (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) return;
    std::wstring kept;
    for (wchar_t c : ClipboardText(edit)) {
        if (c < L' ') continue;
        filter(c);
        if (c != 0) kept += c;
    }
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
}

}  // namespace widgets
