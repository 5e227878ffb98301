// The program: the transport objects already exist (static objects of the
// dispatch, constructed before this runs and destroyed after it returns, in
// reverse order); the windows are created once each, in order, and the
// message loop runs until the main window closes.
#include <windows.h>
#include <commctrl.h>

#include "zorvel/Unitabout.h"
#include "zorvel/Unitgsm.h"
#include "zorvel/Unitimage.h"
#include "zorvel/Unitinput.h"
#include "zorvel/Unitmain.h"
#include "zorvel/Unitsett.h"
#include "zorvel/Unitstat.h"
#include "zorvel/Unittime.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES |
                                                       ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);

    TFormMain FormMain;
    TFormSett FormSett(FormMain);
    TFormTime FormTime(FormMain);
    TFormAbout FormAbout(FormMain);
    TFormInput FormInput(FormMain);
    TFormImage FormImage(FormMain);
    TFormStat FormStat(FormMain);
    TFormGSM FormGSM(FormMain, FormMain.ImageList32x32, FormMain.ImageList32x32D);
    FormMain.SetForms({&FormSett, &FormTime, &FormAbout, &FormInput, &FormImage, &FormStat, &FormGSM});

    FormMain.Show(true);
    return widgets::RunMessageLoop();
}
