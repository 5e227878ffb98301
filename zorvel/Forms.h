// The program's eight windows, created once each in this order and kept for
// the whole run; the main window learns where the others are.
#pragma once

#include "zorvel/Unitabout.h"
#include "zorvel/Unitgsm.h"
#include "zorvel/Unitimage.h"
#include "zorvel/Unitinput.h"
#include "zorvel/Unitmain.h"
#include "zorvel/Unitsett.h"
#include "zorvel/Unitstat.h"
#include "zorvel/Unittime.h"

struct TForms {
    TFormMain FormMain;
    TFormSett FormSett{FormMain, FormMain.Settings, FormMain.ImageList32x32, FormMain.ImageList32x32D,
                       FormMain.ImageListGl16x16};
    TFormTime FormTime{FormMain};
    TFormAbout FormAbout{FormMain};
    TFormInput FormInput{FormMain};
    TFormImage FormImage{FormMain};
    TFormStat FormStat{FormMain};
    TFormGSM FormGSM{FormMain, FormMain.ImageList32x32, FormMain.ImageList32x32D};

    TForms() {
        FormMain.SetForms({&FormSett, &FormTime, &FormAbout, &FormInput, &FormImage, &FormStat, &FormGSM});
        FormSett.OnGsmSignalReset = [this] { FormGSM.GaugeUpdate(0); };
    }
    TForms(const TForms&) = delete;
    TForms& operator=(const TForms&) = delete;
};
