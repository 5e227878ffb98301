// A top-level window created once and reused: created hidden, its messages
// dispatched to members named like the handlers they run, modal showing with a
// modal result the way dialogs behave.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "zorvel/widgets/dpi.h"
#include "zorvel/widgets/window.h"

namespace widgets {

class Timer;

enum ModalResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL };

// Sizes are design units (96 DPI); the form scales them to its display.
struct FormOptions {
    std::wstring Caption;
    DWORD Style = WS_CAPTION | WS_SYSMENU;  // the border and the title-bar buttons
    DWORD ExStyle = 0;
    int ClientWidth = 300, ClientHeight = 200;
    HWND Owner = nullptr;
    const wchar_t* FontFace = L"Tahoma";
    int FontPixels = 13;  // character height
    COLORREF Colour = CLR_INVALID;  // CLR_INVALID: the button face colour
};

class Form : public Window {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    int ModalResult = mrNone;

    // Disables the owner, shows the window and handles messages until
    // ModalResult is set (or the window is gone); then hides the window,
    // enables the owner again and returns the result.
    int ShowModal();
    // Shows or hides the window without activating it.
    void ShowInactive(bool visible) const;
    void CenterOnScreen() const;
    void CenterOnOwner() const;
    // In design units.
    void SetClientSize(int width, int height) const;
    // The client area in design units: what the form lays its bands out in.
    RECT Area() const { return scale_.Design(Client()); }

    // The display's scale, for logic that works in pixels: Px turns design
    // units into pixels of this window, Design turns pixels back, so that
    // results do not depend on the display.
    Scale GetScale() const { return scale_; }
    int Px(int design) const { return scale_.Px(design); }
    int Design(int pixels) const { return scale_.Design(pixels); }
    // A font of `pixelHeight` design pixels at this form's scale.
    Font ScaledFont(const wchar_t* face, int pixelHeight, bool bold = false, bool underline = false,
                    int width = 0) const;

    HFONT FormFont() const { return font_; }
    COLORREF Colour() const { return background_.Colour(); }
    HBRUSH Background() const { return background_; }

protected:
    void CreateForm(const FormOptions& options);

    // The one switch of the window procedure. Derived forms handle what they
    // need and call Form::HandleMessage for the rest.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    virtual void OnShowing() {}       // before the window becomes visible
    virtual void OnActivated() {}     // the window became the active one
    virtual void OnClosing() {}       // the operator asked to close; default hides (modal: Cancel)
    // Asked before the close box, Alt+F4 or Escape close the window; false keeps it open.
    virtual bool CanClose() { return true; }
    virtual void OnLeftMouseDown() {} // on the free client area
    virtual void OnKey(WORD /*key*/) {}
    // The window moved to a display of another scale and has been laid out
    // again (every control placed by the layer, fonts scaled); forms add what
    // they painted or sized themselves.
    virtual void OnScaleChanged() {}

    // The main window ends the message loop when it is destroyed.
    bool QuitOnDestroy = false;

private:
    friend class Timer;
    void AddTimer(Timer* timer);
    void RemoveTimer(Timer* timer);
    std::vector<Timer*> timers_;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void ChangeScale(Scale scale, const RECT* suggested);
    Scale scale_;
    FormOptions options_;
    std::vector<Font> rescaledFonts_;  // the controls' fonts made again for a new scale
    Font font_;
    Brush background_;
    bool modal_ = false;
};

// Takes one message off the queue and dispatches it (keyboard navigation
// included). Returns false on WM_QUIT, which it leaves for the caller.
bool HandleOneMessage(MSG& msg);
// Dispatches everything pending without waiting.
void HandlePendingMessages();
// The program's message loop: runs until WM_QUIT, returns its exit code.
int RunMessageLoop();

}  // namespace widgets
