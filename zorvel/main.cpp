// The program: the transport objects already exist (static objects of the
// dispatch, constructed before this runs and destroyed after it returns, in
// reverse order); the windows are created once each, in order, and the
// message loop runs until the main window closes.
#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "zorvel/Forms.h"
#include "zorvel/widgets/images.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES |
                                                       ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);

    // The windows decode their pictures as they are created: one load of the
    // imaging component for all of them, released once they are made.
    auto codec = std::make_optional<widgets::PictureCodec>();
    TForms forms;
    codec.reset();
    forms.FormMain.Show(true);
    return widgets::RunMessageLoop();
}
