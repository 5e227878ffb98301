// Pasting into an edit field whose typed characters pass a key filter: the
// keys that paste (Ctrl+V, Shift+Insert) become WM_PASTE, and WM_PASTE inserts
// only the characters the filter would let through when typed.
#pragma once

#include <windows.h>

#include <functional>

namespace widgets {

// Ctrl+X, Ctrl+C and Ctrl+V arrive as these characters: commands, not text.
bool IsClipboardCharacter(wchar_t key);

// Turns Ctrl+V (WM_CHAR) and Shift+Insert (WM_KEYDOWN) into WM_PASTE to `edit`,
// the edit control's own handling of them aside. True when it did.
bool PasteKeyToMessage(HWND edit, UINT msg, WPARAM wp);

// Replaces the selection of `edit` with the clipboard's text, less the line
// breaks and other control characters and less what `filter` drops (sets to 0).
void PasteFiltered(HWND edit, const std::function<void(wchar_t& key)>& filter);

}  // namespace widgets
