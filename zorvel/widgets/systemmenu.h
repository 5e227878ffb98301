// The rebuilt system menu every window of the program shows: owner-drawn
// items of a fixed size with a picture and a Russian caption, highlighted like
// the pop-up menus. A window installs it once, at creation.
#pragma once

#include <windows.h>

#include <functional>

namespace widgets {

// The command of the main window's extra item (the about window).
constexpr UINT kAboutCommand = 1025;
// Every system-menu item measures this, whatever its caption.
constexpr int kSystemMenuItemWidth = 120, kSystemMenuItemHeight = 30;

struct SystemMenuOptions {
    // The close item's caption; the part after the TAB is drawn at the right.
    const wchar_t* CloseCaption = L"Закрыть\tAlt+F4";
    // When set, the menu gets a separator and the about item; choosing it
    // runs this (the command still reaches the window afterwards).
    std::function<void()> OnAbout;
};

// Rebuilds the system menu of `window` and subclasses the window to measure
// and draw its items. `highlight` is read at every paint, so the window may
// change it later; it must live as long as the window. What the installer
// keeps goes with the window.
void InstallSystemMenu(HWND window, const COLORREF& highlight, SystemMenuOptions options = {});

}  // namespace widgets
