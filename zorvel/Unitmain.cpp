// Winsock's header must come before <windows.h>.
#include "ravlo/ravlo.h"

#include "zorvel/Unitmain.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "compat/platform.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"
#include "zorvel/Unitabout.h"
#include "zorvel/Unitgsm.h"
#include "zorvel/Unitimage.h"
#include "zorvel/Unitsett.h"
#include "zorvel/Unitstat.h"
#include "zorvel/Unittime.h"
#include "zorvel/board/link.h"
#include "zorvel/resources/resource.h"
#include "zorvel/widgets/layout.h"
#include "zorvel/widgets/listpainter.h"
#include "zorvel/widgets/text.h"

using widgets::Align;
using widgets::Band;
using widgets::Narrow;
using widgets::Widen;

namespace {

const COLORREF kRed = RGB(255, 0, 0);

template <std::size_t N>
void PutCp1251(char (&field)[N], const char* utf8) {
    std::string bytes = widgets::ToCp1251(Widen(utf8));
    std::size_t n = bytes.size() < N - 1 ? bytes.size() : N - 1;
    std::memcpy(field, bytes.data(), n);
    field[n] = '\0';
}

std::wstring FromField(const char* field) { return widgets::FromCp1251(field); }

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

SYSTEMTIME Now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
}


// The shell's numeric failures of "open", in the operator's words.
const char* ShellFailure(int result) {
    switch (result) {
        case 0: return "%s\r\nНехватка памяти либо ресурсов.";
        case 2: return "%s\r\nФайл не найден.";
        case 3: return "%s\r\nПуть не найден";
        case 5: return "%s\r\nДоступ к файлу запрещен";
        case 8: return "%s\r\nНедостаточно памяти для завершения операции";
        case 11: return "%s\r\nНекорректный исполняемый файл";
        case 26: return "%s\r\nОшибка доступа";
        case 27: return "%s\r\nНеизвестный тип файла";
        case 28: return "%s\r\nDDE ошибка таймаута";
        case 29: return "%s\r\nОшибка DDE";
        case 30: return "%s\r\nDDE занят. Повторите попытку позже";
        case 31: return "%s\r\nНе установлено подходящей программы для открытия этого типа файлов.";
        case 32: return "%s\r\nDLL не найдена";
        default: return nullptr;
    }
}

}  // namespace

// The window's side of the read and write exchanges.
class TFormMain::Host : public board::SequenceHost {
public:
    explicit Host(TFormMain& form) : f(form) {}

    board::BoardSettings& Settings() override { return f.BoardSettings; }
    bool ControllerSetting() override { return f.ControllerSetting; }
    std::int8_t RepeatsC() override { return f.Settings.RepeatsC; }

    void SetControlEnabled(board::ExchangeControl control, bool enabled) override {
        using C = board::ExchangeControl;
        switch (control) {
            case C::ComboBoxMode: f.ComboBoxMode.Enable(enabled); break;
            case C::EditInterval: f.EditInterval.Enable(enabled); break;
            case C::SpeedButtonGet: f.SpeedButtonGet.Enable(enabled); break;
            case C::SpeedButtonSet: f.SpeedButtonSet.Enable(enabled); break;
            case C::tbSett: f.ToolBarMain.EnableButton(tbSett, enabled); break;
            case C::tbTime: f.ToolBarMain.EnableButton(tbTime, enabled); break;
        }
    }
    void SetButtonCaption(board::ExchangeButton button, const char* caption) override {
        (button == board::ExchangeButton::SpeedButtonGet ? f.SpeedButtonGet : f.SpeedButtonSet).SetText(Widen(caption));
    }
    void RepaintNow() override { f.Repaint(); }

    board::ClockDate PickerDate() override {
        SYSTEMTIME t = f.DateTimePickerDC.Value();
        return board::ClockDate{t.wDay, t.wMonth, t.wYear};
    }
    board::ClockTime PickerTime() override {
        SYSTEMTIME t = f.DateTimePickerTC.Value();
        return board::ClockTime{t.wHour, t.wMinute, t.wSecond};
    }
    void SetPickerDate(const board::ClockDate& date) override {
        SYSTEMTIME t = f.DateTimePickerDC.Value();
        t.wDay = static_cast<WORD>(date.Day);
        t.wMonth = static_cast<WORD>(date.Month);
        t.wYear = static_cast<WORD>(date.Year);
        t.wDayOfWeek = 0;
        f.DateTimePickerDC.SetValue(t);
    }
    void SetPickerTime(const board::ClockTime& time) override {
        SYSTEMTIME t = f.DateTimePickerTC.Value();
        t.wHour = static_cast<WORD>(time.Hours);
        t.wMinute = static_cast<WORD>(time.Minutes);
        t.wSecond = static_cast<WORD>(time.Seconds);
        t.wMilliseconds = 0;
        f.DateTimePickerTC.SetValue(t);
    }
    void SelectModeItem(int index) override {
        f.ComboBoxMode.SetIndex(index >= 0 && index < 4 ? index : -1);
        f.ComboBoxModeChange();
    }
    void SetIntervalText(const std::string& text) override { f.EditInterval.SetText(Widen(text)); }
    void SetRefresh(bool on) override {
        f.Refresh = on;
        f.PopupMenuDateTime.SetChecked(miRefreshDateTime, on);
    }
    board::LocalDateTime Now() override {
        SYSTEMTIME t = ::Now();
        return board::LocalDateTime{{t.wDay, t.wMonth, t.wYear}, {t.wHour, t.wMinute, t.wSecond}};
    }
    int ShowMessage(const char* text, const char* caption, unsigned type) override {
        return compat::ShowMessageBox(f.hwnd, text, caption, type);
    }

private:
    TFormMain& f;
};

TFormMain::TFormMain()
    : BoardSettings(Settings.Board),
      Refresh(Settings.Refresh),
      ControllerSetting(Settings.ControllerSetting),
      Timer(*this, 100),
      Random(static_cast<unsigned>(GetTickCount())),
      host_(new Host(*this)) {
    widgets::FormOptions o;
    o.Caption = L"";
    o.Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // single border, no sizing
    o.ClientWidth = 514;
    o.ClientHeight = 274;
    o.FontPixels = 21;
    CreateForm(o);
    QuitOnDestroy = true;
    widgets::SystemMenuOptions systemMenu;
    systemMenu.OnAbout = [this] { ToolBarMain.Click(tbAbout); };
    widgets::InstallSystemMenu(hwnd, kRed, std::move(systemMenu));
    LoadPictures();
    CreateControls();
    Timer.OnTimer = [this] { TimerTimer(); };

    PutCp1251(AppInfo.Name, "Zorvel");
    PutCp1251(AppInfo.Caption, "Время/Дата/Температура");
    PutCp1251(AppInfo.Description, "Табло индикации времени/даты/температуры");
    PutCp1251(AppInfo.Version, "2.01");
    PutCp1251(AppInfo.Company, "ЗОРВЕЛ");
    PutCp1251(AppInfo.Web, "www.zorvel.example");
    PutCp1251(AppInfo.Telephone, "+7 (812) 555-01-37");
    PutCp1251(AppInfo.EMail, "support@zorvel.example");
    AppInfo.Directory = compat::ExecutableDir();
}

TFormMain::~TFormMain() {
    Timer.SetEnabled(false);
    delete host_;
}

void TFormMain::LoadPictures() {
    using widgets::Bitmap;
    // The pictures drawn for the display's scale (32 x 32 images are 48 x 48 at 144 DPI).
    const widgets::Scale s = GetScale();
    for (widgets::StripList* strip : {&ImageListZVL_Modes, &ImageListGlChecked, &ImageListGlUnchecked,
                                      &ImageListGl16x16, &GlyphGet, &GlyphSet})
        strip->Clear();
    ImageList32x32.Load(Bitmap::FromResource(IDB_TOOLBAR32, s));
    ImageList32x32H.Load(Bitmap::FromResource(IDB_TOOLBAR32_HOT, s));
    ImageList32x32D.Load(Bitmap::FromResource(IDB_TOOLBAR32_DISABLED, s));
    for (int id : {IDB_MODE1, IDB_MODE2, IDB_MODE3, IDB_MODE4}) ImageListZVL_Modes.Add(Bitmap::FromResource(id, s));
    ImageListGlChecked.Add(Bitmap::FromResource(IDB_CHECK_CHECKED, s));
    ImageListGlUnchecked.Add(Bitmap::FromResource(IDB_CHECK_UNCHECKED, s));
    ImageListGl16x16.AddSquareStrips(Bitmap::FromResource(IDB_MENU16, s));
    GlyphGet.Add(Bitmap::FromResource(IDB_GLYPH_READ, s));
    GlyphSet.Add(Bitmap::FromResource(IDB_GLYPH_WRITE, s));
}

void TFormMain::CreateControls() {
    const COLORREF face = Colour();
    // The five bands, full width, 3 px apart from everything.
    PanelTop.Create(hwnd, 0, 0, 0, 0);
    PanelDisplay.Create(hwnd, 0, 0, 0, 0);
    PanelMode.Create(hwnd, 0, 0, 0, 0);
    PanelInterval.Create(hwnd, 0, 0, 0, 0);
    PanelBottom.Create(hwnd, 0, 0, 0, 0);
    widgets::LayoutBands(Area(), {{PanelTop, Align::Top, 40, widgets::Uniform(3)},
                                    {PanelDisplay, Align::Top, 62, widgets::Uniform(3)},
                                    {PanelMode, Align::Top, 50, widgets::Uniform(3)},
                                    {PanelInterval, Align::Top, 38, widgets::Uniform(3)},
                                    {PanelBottom, Align::Bottom, 46, widgets::Uniform(3)}});
    const int width = PanelTop.Area().right;  // 508

    // Top band: the toolbar of windows at the left; the interface button and
    // the two pickers at the right.
    ToolBarMain.Create(PanelTop, 0, 1, 4 * 39, 38, 39, 38, ImageList32x32, ImageList32x32H, ImageList32x32D,
                       {{tbSett, 5, L"Настройки", [this] { tbSettClick(); }},
                        {tbTime, 8, L"Настройки времени и яркости", [this] { tbTimeClick(); }},
                        {tbHelp, 6, L"Помощь  F1", [this] { tbHelpClick(); }},
                        {tbAbout, 7, L"О программе", [this] { tbAboutClick(); }}});
    const int timeX = width - 110, dateX = timeX - 4 - 130, connectX = dateX - 4 - 39;
    ToolBarConnect.Create(PanelTop, connectX, 1, 39, 38, 39, 38, ImageList32x32, ImageList32x32H, ImageList32x32D,
                          {{tbInterface, 0, L"", [this] { tbInterfaceClick(); }}});
    DateTimePickerDC.Create(PanelTop, widgets::DateTimePicker::Kind::Date, dateX, 5, 130, 30);
    DateTimePickerTC.Create(PanelTop, widgets::DateTimePicker::Kind::Time, timeX, 5, 110, 30);
    // The operator reads Russian dates and a 24-hour clock whatever the locale of the machine.
    DateTimePickerDC.SetFormat(L"dd.MM.yyyy");
    DateTimePickerTC.SetFormat(L"HH:mm:ss");
    DateTimePickerDC.SetRange(SYSTEMTIME{2000, 1, 0, 1, 0, 0, 0, 0}, SYSTEMTIME{2099, 12, 0, 31, 23, 59, 59, 0});
    PopupMenuDateTime.Create({{miRefreshDateTime, L"Обновлять Дату/Время", L"", 0, true, [this] { miRefreshDateTimeClick(); }},
                              {miSetCurrent, L"Установить текущую Дату/Время", L"", 9, false, [this] { miSetCurrentClick(); }}});
    PopupMenuDateTime.SetChecked(miRefreshDateTime, true);
    const widgets::MenuLook look{&ImageListGlChecked, nullptr, &ImageListGl16x16, &kRed, 16};
    widgets::PaintMenuItems(PopupMenuDateTime, look,
                            {{miRefreshDateTime, {&ImageListGlChecked, &ImageListGlUnchecked, nullptr, &kRed, 16}}});
    for (widgets::DateTimePicker* picker : {&DateTimePickerDC, &DateTimePickerTC})
        picker->OnContextMenu = [this](POINT p) { PopupMenuDateTime.Popup(hwnd, p); };

    // Display band: the black imitation of the board, red text of 56 px. The
    // digits are narrowed so that a whole date fits the panel's 156 px.
    emulFont_ = ScaledFont(L"Tahoma", 56, true, false, 14);
    PanelEmul.Create(PanelDisplay, (width - 156) / 2, 0, 156, 62, RGB(0, 0, 0));
    PanelEmul.SetCaption(L"", emulFont_, kRed, DT_LEFT | DT_VCENTER | DT_SINGLELINE);

    // Mode band.
    LabelMode.Create(PanelMode, L"Режимы работы:", 0, 0, width - 330 - 6, 50, face, SS_CENTERIMAGE);
    ComboBoxMode.Create(PanelMode, width - 330, 2, 330, 40);
    for (const char* item : board::ModeItems) ComboBoxMode.Add(Widen(item));
    ComboBoxMode.OnChange = [this] { ComboBoxModeChange(); };
    ComboBoxMode.OnDraw = [this](DRAWITEMSTRUCT* item) { ComboBoxModeDrawItem(item); };

    // Interval band.
    intervalFont_ = ScaledFont(L"Tahoma", 19);
    const int editX = width - 50, imageX = editX - 4 - 32;
    LabelInterval.Create(PanelInterval, L"Интервал смены информации (1-255), сек.", 0, 0, imageX - 4, 38, face,
                         SS_CENTERIMAGE);
    LabelInterval.SetFont(intervalFont_);
    ImageInterval.Create(PanelInterval, imageX, 3, 32, 32, face);
    EditInterval.Create(PanelInterval, L"0", editX, 4, 50, 30, 3);
    EditInterval.OnKeyPress = [this](wchar_t& key) { EditIntervalKeyPress(key); };
    EditInterval.OnChange = [this] { EditIntervalChange(); };
    // Leaving the field is focus moving to another control of this window;
    // another program, a dialog or the window's end is not.
    EditInterval.OnExit = [this] {
        HWND to = GetFocus();
        if (to && to != EditInterval && IsChild(hwnd, to)) EditIntervalExit();
    };
    EditInterval.OnKeyDown = [this](WORD key) { FormKeyDown(key); };
    PopupMenuStandart.Create({{miCut, L"Вырезать", L"Ctrl+X", 2, false, [this] { miCutClick(); }},
                              {miCopy, L"Копировать", L"Ctrl+C", 3, false, [this] { miCopyClick(); }},
                              {miPaste, L"Вставить", L"Ctrl+V", 4, false, [this] { miPasteClick(); }}});
    widgets::PaintMenuItems(PopupMenuStandart, look);
    PopupMenuStandart.OnPopup = [this] { PopupMenuStandartPopup(); };
    EditInterval.OnContextMenu = [this](POINT p) { PopupMenuStandart.Popup(hwnd, p); };

    // Bottom band: read, then write at the right edge.
    SpeedButtonSet.Create(PanelBottom, L"Установить", width - 3 - 160, 3, 160, 40, &GlyphSet, true);
    SpeedButtonGet.Create(PanelBottom, L"Прочитать", width - 3 - 160 - 6 - 160, 3, 160, 40, &GlyphGet);
    SpeedButtonGet.OnClick = [this] { SpeedButtonGetClick(); };
    SpeedButtonSet.OnClick = [this] { SpeedButtonSetClick(); };
}

// On a display of another scale the pictures drawn for it replace the old
// ones: the lists are loaded again in place (menus, list and buttons point at
// them), the toolbars are handed the new system image lists.
void TFormMain::OnScaleChanged() {
    LoadPictures();
    for (widgets::ToolBar* bar : {&ToolBarMain, &ToolBarConnect})
        bar->SetImageLists(ImageList32x32, ImageList32x32H, ImageList32x32D);
    DrawIntervalImage();
}

// ---- start and stop ---------------------------------------------------------------

void TFormMain::OnShowing() {
    if (shown_) return;
    shown_ = true;
    CenterOnScreen();
    FormShow();
}

void TFormMain::FormShow() {
    // 1. The highlight colour of the painted lists and menus, for every window.
    HighlightColour = kRed;
    if (Forms.Sett) Forms.Sett->SetHighlightColour(HighlightColour);
    if (Forms.Time) Forms.Time->SetHighlightColour(HighlightColour);
    if (Forms.About) Forms.About->SetHighlightColour(HighlightColour);
    // 2. The transports report to this window.
    board::WireTransports(hwnd);
    // 3. Toolbar pictures.
    ToolBarMain.SetImage(tbSett, 5);
    ToolBarMain.SetImage(tbTime, 8);
    ToolBarMain.SetImage(tbHelp, 6);
    ToolBarMain.SetImage(tbAbout, 7);
    ToolBarConnect.SetImage(tbInterface, board::IsInterface(board::Interface) ? board::Interface.load() : I_IMAGENONE);
    // 4. The common configuration, the schedule and the controller file.
    Settings.LoadCommonAndController();
    board::Interface = Settings.Interface;
    // 5. - 7. Pickers, the refresh item, the mode and the interval.
    SetPickersToNow();
    PopupMenuDateTime.SetChecked(miRefreshDateTime, Refresh);
    PopupMenuDateTime.SetImageIndex(miSetCurrent, 9);
    PopupMenuDateTime.SetImageIndex(miRefreshDateTime, 0);
    ComboBoxMode.SetIndex(BoardSettings.Mode - 1);
    ComboBoxModeChange();
    EditInterval.SetText(std::to_wstring(BoardSettings.Interval));
    // 8. The transports, and the interface names for the settings dialog.
    pCOM = &board::COM;
    pFTD = &board::FTD;
    pTCP = &board::TCP;
    pGSM = &board::GSM;
    pRFM = &board::RFM;
    Settings.LoadSlavesAndChannels(board::GSM.CSD_Number, sizeof board::GSM.CSD_Number);
    if (Forms.Sett)
        for (int i = 0; i < 5; ++i) Forms.Sett->AddInterfaceName(InterfaceName(i));
    // 9. The interface button.
    ToolBarConnect.SetImage(tbInterface, board::IsInterface(board::Interface) ? board::Interface.load() : I_IMAGENONE);
    ToolBarConnect.SetHint(tbInterface, InterfaceName(board::Interface));
    // 10. Captions.
    SetText(FromField(AppInfo.Caption));
    if (Forms.About)
        Forms.About->ShowAppInfo({FromField(AppInfo.Caption), FromField(AppInfo.Description), FromField(AppInfo.Version),
                                  FromField(AppInfo.Company), FromField(AppInfo.Web), FromField(AppInfo.Telephone),
                                  FromField(AppInfo.EMail)});
    // 11. What the operator may change.
    ApplyControllerSetting();
    // 12. The settings dialog offers the serial port only.
    if (Forms.Sett) Forms.Sett->ShortenToSerialPage();
    Timer.SetEnabled(true);
}

void TFormMain::ApplyControllerSetting() {
    DateTimePickerDC.Show(ControllerSetting);
    DateTimePickerTC.Show(ControllerSetting);
    SpeedButtonSet.Show(ControllerSetting);
    LabelMode.Enable(ControllerSetting);
    ComboBoxMode.Enable(ControllerSetting);
    LabelInterval.Enable(ControllerSetting);
    EditInterval.Enable(ControllerSetting);
}

void TFormMain::FormActivate() {
    int i = board::Interface;
    ToolBarConnect.SetImage(tbInterface, board::IsInterface(i) ? i : I_IMAGENONE);
    if (ToolBarConnect.ButtonEnabled(tbInterface)) ToolBarConnect.SetHint(tbInterface, InterfaceName(i));
}

void TFormMain::FormClose() {
    Timer.SetEnabled(false);
    // The correction leaving the field would make, silently: no interval
    // outside 1..255 is saved.
    long typed = board::ParseDecimal(Narrow(EditInterval.Text()));
    if (typed < 1 || typed > 255 || BoardSettings.Interval == 0) {
        EditInterval.SetText(L"1");
        BoardSettings.Interval = 1;
    }
    Settings.Interface = board::Interface;
    Settings.Save(hwnd);
}

std::wstring TFormMain::InterfaceName(int i) const {
    if (!board::IsInterface(i)) return {};
    return FromField(Settings.Interfaces[i]);
}

void TFormMain::FormKeyDown(WORD key) {
    if (key == VK_F1) tbHelpClick();
    if (key == VK_F5) Repaint();
}

// ---- the other windows ------------------------------------------------------------

void TFormMain::tbSettClick() {
    if (Forms.Sett && Forms.Sett->ShowModal() == widgets::mrOk) FormActivate();
}

void TFormMain::tbTimeClick() {
    if (!Forms.Time) return;
    TFormTime& time = *Forms.Time;
    time.HourM = BoardSettings.HourM, time.HourA = BoardSettings.HourA;
    time.HourE = BoardSettings.HourE, time.HourN = BoardSettings.HourN;
    time.BrightM = BoardSettings.BrightM, time.BrightA = BoardSettings.BrightA;
    time.BrightE = BoardSettings.BrightE, time.BrightN = BoardSettings.BrightN;
    time.Editable = ControllerSetting;
    if (time.ShowModal() != widgets::mrOk) return;
    auto low = [](std::int16_t v) { return static_cast<std::int8_t>(v & 0xFF); };
    BoardSettings.HourM = low(time.HourM), BoardSettings.HourA = low(time.HourA);
    BoardSettings.HourE = low(time.HourE), BoardSettings.HourN = low(time.HourN);
    BoardSettings.BrightM = low(time.BrightM), BoardSettings.BrightA = low(time.BrightA);
    BoardSettings.BrightE = low(time.BrightE), BoardSettings.BrightN = low(time.BrightN);
}

void TFormMain::tbAboutClick() {
    if (Forms.About) Forms.About->ShowModal();
}

void TFormMain::ShowError(const std::string& text) { compat::ShowBox(hwnd, compat::Box::Error, text); }

int TFormMain::ShellOpen(const wchar_t* verb, const std::wstring& file, const char* errorPrefix) {
    auto result =
        static_cast<int>(compat::ShellOpen(hwnd, Narrow(verb).c_str(), Narrow(file).c_str(), "", "", SW_SHOWNORMAL));
    if (const char* format = ShellFailure(result)) {
        char message[260];
        std::snprintf(message, sizeof message, format, errorPrefix);
        ShowError(message);
    }
    return result;
}

void TFormMain::tbHelpClick() {
    const std::string name = Narrow(FromField(AppInfo.Name));
    std::wstring file = Widen(compat::JoinPath(AppInfo.Directory, name + ".pdf"));
    if (!FileExists(file)) {
        ToolBarMain.EnableButton(tbHelp, false);
        ToolBarMain.SetHint(tbHelp, L"Файл справки не найден");
        ShowError("Файл справки не найден");
        return;
    }
    std::string prefix = "Не удалось открыть \"" + name + ".pdf\"";
    if (ShellOpen(L"open", file, prefix.c_str()) != 31) return;
    if (compat::ShowBox(hwnd, compat::Box::Question, "Загрузить Acrobat Reader из интернета?") == compat::kAnswerYes)
        compat::ShellOpen(hwnd, "open", "https://get.adobe.com/reader/", nullptr, nullptr, SW_SHOWNORMAL);
}

void TFormMain::tbInterfaceClick() {
    std::wstring file =
        Widen(compat::JoinPath(AppInfo.Directory, "Scheme" + std::to_string(board::Interface) + ".bmp"));
    if (!FileExists(file)) {
        ToolBarConnect.EnableButton(tbInterface, false);
        ToolBarConnect.SetHint(tbInterface, L"Файл схемы не найден");
        ShowError("Файл схемы не найден");
        return;
    }
    if (!Forms.Image) return;
    if (!Forms.Image->ShowScheme(L"Схема подключения",
                                 L"Схема подключения для контроллера универсального через " +
                                     ToolBarConnect.Hint(tbInterface),
                                 file))
        throw std::runtime_error("Не удается загрузить рисунок " + Narrow(file));
}

// ---- exchanges ----------------------------------------------------------------------

void TFormMain::SpeedButtonGetClick() {
    board::RunReadSequence(*host_);
    CloseIfAskedDuringExchange();
}

void TFormMain::SpeedButtonSetClick() {
    board::RunWriteSequence(*host_);
    CloseIfAskedDuringExchange();
}

namespace {
// Nobody is left to read a box once the window closes.
int Unattended(void*, const char*, const char*, unsigned type) {
    return (type & 0xF) == compat::kBoxYesNo ? compat::kAnswerNo : compat::kAnswerOk;
}
}  // namespace

// Closing during an exchange: the exchange ends at the next round of its wait
// (a TCP connect at once), shows nothing, and the window closes (and saves)
// once it is over, on the way out of the button's handler.
LRESULT TFormMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE && board::Busy) {
        closeAfterExchange_ = true;
        RavloSetNotifier(Unattended);
        cCOM::SetMessageBoxHandler(Unattended);
        cFTD::SetMessageBoxHandler(Unattended);
        cGSM::SetMessageBoxHandler(Unattended);
        cRFM::SetMessageBoxHandler(Unattended);
        board::AbortExchange();
        return 0;
    }
    return Form::HandleMessage(msg, wp, lp);
}

void TFormMain::CloseIfAskedDuringExchange() {
    if (closeAfterExchange_) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

void TFormMain::EnableExchange(bool enabled) {
    SpeedButtonSet.Enable(enabled);
    SpeedButtonGet.Enable(enabled);
}

// ---- mode and interval --------------------------------------------------------------

void TFormMain::ComboBoxModeChange() {
    BoardSettings.Mode = static_cast<std::int8_t>(ComboBoxMode.Index() + 1);  // no selection: 0
    const int mode = BoardSettings.Mode;
    const bool intervalAllowed = mode != 1 && mode != 4 && ControllerSetting;
    PanelInterval.Enable(intervalAllowed);
    LabelInterval.Enable(intervalAllowed);
    EditInterval.Enable(intervalAllowed);
    DrawIntervalImage();
    DateTimePickerDC.Enable(mode != 4);
    DateTimePickerTC.Enable(mode != 4);
}

void TFormMain::DrawIntervalImage() {
    ImageInterval.Clear();
    (PanelInterval.Enabled() ? ImageList32x32 : ImageList32x32D).Draw(ImageInterval.Surface().Dc(), 16, 0, 0);
    ImageInterval.Refresh();
}

void TFormMain::ComboBoxModeDrawItem(DRAWITEMSTRUCT* item) {
    widgets::DrawListItem(ComboBoxMode, ComboBoxMode.PaintItem(*item), &ImageListZVL_Modes, HighlightColour);
}

void TFormMain::EditIntervalKeyPress(wchar_t& key) {
    if ((key < L'0' || key > L'9') && key != L'\b') key = 0;
}

void TFormMain::EditIntervalChange() {
    std::string text = Narrow(EditInterval.Text());
    if (text.empty()) return;
    long n = board::ParseDecimal(text);
    if (n >= 1 && n <= 255) BoardSettings.Interval = static_cast<std::uint8_t>(n);
}

void TFormMain::EditIntervalExit() {
    // An empty or non-numeric text counts as 0: the same warning, and 1.
    long n = board::ParseDecimal(Narrow(EditInterval.Text()));
    if (n >= 1 && n <= 255) return;
    EditInterval.SetColour(kRed);
    EditInterval.Repaint();
    compat::ShowBox(hwnd, compat::Box::Warning,
                    "Допустимые значения для интервала 1-255      \r\nБудет установлено минимальное допустимое значение");
    EditInterval.SetText(L"1");
    EditInterval.SetColour(GetSysColor(COLOR_WINDOW));
}

// ---- menus ----------------------------------------------------------------------------

void TFormMain::miRefreshDateTimeClick() { Refresh = PopupMenuDateTime.Checked(miRefreshDateTime); }

void TFormMain::miSetCurrentClick() { SetPickersToNow(); }

void TFormMain::SetPickersToNow() {
    SYSTEMTIME now = Now();
    DateTimePickerDC.SetValue(now);
    DateTimePickerTC.SetValue(now);
}

void TFormMain::PopupMenuStandartPopup() {
    HWND focus = GetFocus();
    wchar_t cls[16] = {};
    bool isEdit = focus && GetClassNameW(focus, cls, 16) && lstrcmpiW(cls, L"Edit") == 0;
    DWORD from = 0, to = 0;
    if (isEdit) SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    PopupMenuStandart.SetEnabled(miCut, isEdit && to > from);
    PopupMenuStandart.SetEnabled(miCopy, isEdit && to > from);
    PopupMenuStandart.SetEnabled(miPaste, IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT));
}

void TFormMain::miCutClick() { SendMessageW(GetFocus(), WM_CUT, 0, 0); }
void TFormMain::miCopyClick() { SendMessageW(GetFocus(), WM_COPY, 0, 0); }
void TFormMain::miPasteClick() { SendMessageW(GetFocus(), WM_PASTE, 0, 0); }

// ---- the 100 ms tick ------------------------------------------------------------------

void TFormMain::TimerTimer() {
    Timer.SetEnabled(false);
    try {
        const int selected = board::Interface;
        cGSM& gsm = board::GSM;
        // 1. The GSM status window follows the modem.
        if (Forms.GSM) {
            bool wanted = selected == board::kInterfaceGsm && gsm.ModemOn != 0;
            if (Forms.GSM->Visible() != wanted) Forms.GSM->ShowInactive(wanted);
        }
        if (selected == board::kInterfaceGsm) {
            // 2. GSM: the settings dialog's modem buttons, the exchange buttons, the status texts.
            if (Forms.Sett) Forms.Sett->EnableModemButtons(gsm.ModemOn && !gsm.Busy, gsm.BalanceEnable != 0, gsm.ModemOn != 0);
            EnableExchange(gsm.NetworkFound && !board::Busy);
            const int idx = gsm.StatusIdx;
            const char* status = idx >= 0 && idx < cGSM::StatusTextCount ? gsm.StatusText[idx] : "";
            if (Forms.Stat) {
                if (*status == '\0') {
                    if (Forms.Stat->Visible()) Forms.Stat->HideStatus();
                    lastStatusIdx_ = -1;
                } else if (!Forms.Stat->Visible() || idx != lastStatusIdx_) {
                    Forms.Stat->ShowStatus(L"GSM", Widen(status));
                    lastStatusIdx_ = idx;
                }
            }
            if (gsm.CSQ_Gate1 && gsm.CSQ_Gate2 && !gsm.Busy && Forms.GSM) Forms.GSM->GaugeUpdate(gsm.CSQ);
            const std::uint8_t found = gsm.NetworkFound;
            if (found != lastNetworkFound_) {
                if (Forms.GSM && Forms.GSM->Visible()) Forms.GSM->ShowNetwork(found != 0);
                lastNetworkFound_ = found;
                EnableExchange(found && !board::Busy);
            }
        } else if (selected == board::kInterfaceUsb || selected == board::kInterfaceRadio) {
            // 3. USB and radio: the adapter must be there.
            if (Forms.Stat && Forms.Stat->Visible()) Forms.Stat->HideStatus();
            EnableExchange(cFTD::DevicesCount != 0 && !board::Busy);
        } else if (selected == board::kInterfaceTcp) {
            // 4. TCP: the status window while a socket exists.
            if (Forms.Stat) {
                bool socket = board::TCP.Socket != 0;
                if (socket && !Forms.Stat->Visible())
                    Forms.Stat->ShowStatus(L"TCP", L"Установка TCP соединения..");
                else if (!socket && Forms.Stat->Visible())
                    Forms.Stat->HideStatus();
            }
        } else if (Forms.Stat && Forms.Stat->Visible()) {
            // 5. Any other selected.
            Forms.Stat->HideStatus();
        }
        if (selected != board::kInterfaceGsm) {
            // 6.
            if (Forms.Sett) Forms.Sett->EnableModemRestart(false);
            if (selected != board::kInterfaceUsb && selected != board::kInterfaceRadio) EnableExchange(!board::Busy);
            lastStatusIdx_ = -1;
        }
        // 7.
        EmulationStep();
    } catch (...) {
        // A tick that fails is simply skipped; the next one comes in 100 ms.
    }
    Timer.SetEnabled(true);
}

void TFormMain::EmulationStep() {
    if (!Emulation.Step(BoardSettings.Mode, BoardSettings.Interval)) return;
    if (Refresh) {
        SetPickersToNow();
        DateTimePickerTCChange();
    }
    Emulation.TemperatureStep(static_cast<int>(Random() % 10));
    SYSTEMTIME time = DateTimePickerTC.Value(), date = DateTimePickerDC.Value();
    wchar_t dateText[64] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, dateText, 64);
    std::wstring text =
        Widen(Emulation.PanelText(board::ClockTime{time.wHour, time.wMinute, time.wSecond}, Narrow(dateText)));
    // Repaint only a changed text: the date and the temperature stand for
    // seconds, and a stopped clock (no Refresh) for good.
    if (text != PanelEmul.Caption())
        PanelEmul.SetCaptionText(text);
}

void TFormMain::DateTimePickerTCChange() {
    Emulation.UpdateBrightness(DateTimePickerTC.Value().wHour, BoardSettings);
    PanelEmul.SetTextColour(RGB(Emulation.TextIntensity(), 0, 0));
}
