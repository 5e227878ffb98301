// FormMain: the program's main window. It shows the board settings the
// operator reads and writes (date, time, mode, interval), imitates the board's
// display, opens the other windows from its toolbar, runs the read and write
// exchanges, and keeps the settings of the run: loaded at its first show,
// saved when it closes.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "zorvel/board/protocol.h"
#include "zorvel/board/sequences.h"
#include "zorvel/config/settings.h"
#include "zorvel/emulation.h"
#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/form.h"

class TFormSett;
class TFormTime;
class TFormAbout;
class TFormInput;
class TFormImage;
class TFormStat;
class TFormGSM;
class cCOM;
class cFTD;
class cRavlo;
class cGSM;
class cRFM;

// What the about window, the help document's name and the controller file's
// name come from. Texts are Windows-1251, as the program keeps all its texts.
struct TAppInfo {
    char Name[40];
    char Caption[40];
    char Description[255];
    char Version[8];
    char Company[20];
    char Web[255];
    char Telephone[20];
    char EMail[255];
    std::string Directory;  // of the executable, UTF-8, no trailing separator
};

// The windows the main window opens and drives; they are created after it.
struct TOtherForms {
    TFormSett* Sett;
    TFormTime* Time;
    TFormAbout* About;
    TFormInput* Input;
    TFormImage* Image;
    TFormStat* Stat;
    TFormGSM* GSM;
};

class TFormMain : public widgets::Form {
public:
    enum : int { tbSett = 201, tbTime, tbHelp, tbAbout, tbInterface };
    enum : UINT { miRefreshDateTime = 301, miSetCurrent, miCut = 311, miCopy, miPaste };

    TFormMain();
    ~TFormMain() override;
    void SetForms(const TOtherForms& forms) { Forms = forms; }

    // --- Settings of the run --------------------------------------------------
    config::Settings Settings;          // the held values of the INI files
    board::BoardSettings& BoardSettings; // Mode, Interval, the schedule (inside Settings)
    bool& Refresh;
    bool& ControllerSetting;
    COLORREF HighlightColour = 0;
    cCOM* pCOM = nullptr;
    cFTD* pFTD = nullptr;
    cRavlo* pTCP = nullptr;
    cGSM* pGSM = nullptr;
    cRFM* pRFM = nullptr;
    TAppInfo AppInfo{};
    TOtherForms Forms{};

    // --- Controls ---------------------------------------------------------------
    widgets::Panel PanelTop, PanelDisplay, PanelMode, PanelInterval, PanelBottom;
    widgets::ToolBar ToolBarMain, ToolBarConnect;
    widgets::DateTimePicker DateTimePickerDC, DateTimePickerTC;
    widgets::Panel PanelEmul;
    widgets::Label LabelMode;
    widgets::ComboBox ComboBoxMode;
    widgets::Label LabelInterval;
    widgets::Image ImageInterval;
    widgets::Edit EditInterval;
    widgets::SpeedButton SpeedButtonGet, SpeedButtonSet;
    widgets::PopupMenu PopupMenuDateTime, PopupMenuStandart;
    widgets::Timer Timer;

    widgets::ImageList ImageList32x32, ImageList32x32H, ImageList32x32D;
    widgets::StripList ImageListZVL_Modes, ImageListGlChecked, ImageListGlUnchecked, ImageListGl16x16;
    widgets::StripList GlyphGet, GlyphSet;

    // --- The display imitation --------------------------------------------------
    zorvel::DisplayEmulation Emulation;
    std::minstd_rand Random;

    // --- Handlers -----------------------------------------------------------------
    void FormShow();
    void FormActivate();
    void FormClose();
    void FormKeyDown(WORD key);
    void tbSettClick();
    void tbTimeClick();
    void tbAboutClick();
    void tbHelpClick();
    void tbInterfaceClick();
    void SpeedButtonGetClick();
    void SpeedButtonSetClick();
    void ComboBoxModeChange();
    void ComboBoxModeDrawItem(DRAWITEMSTRUCT* item);
    void EditIntervalKeyPress(wchar_t& key);
    void EditIntervalChange();
    void EditIntervalExit();
    void miRefreshDateTimeClick();
    void miSetCurrentClick();
    void PopupMenuStandartPopup();
    void miCutClick();
    void miCopyClick();
    void miPasteClick();
    void TimerTimer();
    void DateTimePickerTCChange();  // the brightness update of the imitation

    // The name of interface i (Windows-1251 from the common file), or "" when
    // i is no interface.
    std::wstring InterfaceName(int i) const;
    // Emulation step of the timer tick, public for the tests.
    void EmulationStep();

protected:
    void OnShowing() override;
    void OnActivated() override { FormActivate(); }
    void OnClosing() override { FormClose(); }
    void OnKey(WORD key) override { FormKeyDown(key); }
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnScaleChanged() override;

private:
    class Host;
    void CreateControls();
    void LoadPictures();
    void DrawIntervalImage();
    void ApplyControllerSetting();
    void EnableExchange(bool enabled);
    void SetPickersToNow();
    void CloseIfAskedDuringExchange();
    void ShowError(const std::string& text);
    int ShellOpen(const wchar_t* verb, const std::wstring& file, const char* errorPrefix);

    Host* host_;
    bool shown_ = false;
    std::uint8_t lastNetworkFound_ = 0;
    int lastStatusIdx_ = -1;
    bool closeAfterExchange_ = false;
    widgets::Font modeFont_, intervalFont_, emulFont_;
};
