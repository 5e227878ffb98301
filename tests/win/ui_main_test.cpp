// The main window under Wine, over the recording transports and the virtual
// clock: layout, the operator's edge cases, the timer's steps, the display
// imitation, the configuration at first show and close, and the exchanges.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "fake_transports.h"
#include "ravlo/ravlo.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/board/link.h"
#include "zorvel/widgets/text.h"

namespace {

using testsupport::BinPath;
constexpr auto RemoveIniFiles = testsupport::RemoveProgramIniFiles;

void WriteFile(const char* name, const std::string& bytes) {
    std::ofstream out(BinPath(name), std::ios::binary);
    out << bytes;
}

std::string ReadFile(const char* name) { return testsupport::ReadFile(BinPath(name)); }

using Windows = TForms;

class MainWindow : public ::testing::Test {
protected:
    // A controller that may change everything, mode 3, interval 10, unless a test writes its own files.
    void SetUp() override {
        fakes::Reset();
        RemoveIniFiles();
        board::Busy = false;
        board::GSM.ModemOn = 0;
        board::GSM.NetworkFound = 0;
        board::GSM.StatusIdx = 0;
        board::TCP.Socket = 0;
    }
    void TearDown() override {
        w.reset();
        RemoveIniFiles();
    }
    void Open(const std::string& common = "[COMMON]\r\nControllerSetting=1\r\nInterfaces[0]=COM\r\n",
              const std::string& zorvel = "[ZVL]\r\nMode=3\r\nInterval=10\r\n") {
        WriteFile("Common.ini", common);
        WriteFile("Zorvel.ini", zorvel);
        w = std::make_unique<Windows>();
        w->FormMain.Show(true);
        uitest::FlushEvents(50);
    }
    TFormMain& Main() { return w->FormMain; }
    static RECT In(const widgets::Window& parent, const widgets::Window& child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static void ExpectRect(RECT r, int x, int y, int width, int height, const char* what) {
        EXPECT_EQ(x, r.left) << what;
        EXPECT_EQ(y, r.top) << what;
        EXPECT_EQ(width, r.right - r.left) << what;
        EXPECT_EQ(height, r.bottom - r.top) << what;
    }
    void Type(const wchar_t* keys) {
        for (const wchar_t* k = keys; *k; ++k) Main().EditInterval.Send(WM_CHAR, *k, 1);
    }

    std::unique_ptr<Windows> w;
};

// ---- layout ---------------------------------------------------------------------------

TEST_F(MainWindow, LayoutOfBandsAndControls) {
    Open();
    TFormMain& m = Main();
    RECT client = m.Client();
    EXPECT_EQ(514, client.right);
    EXPECT_EQ(274, client.bottom);
    EXPECT_EQ(L"Время/Дата/Температура", m.Text());
    LONG style = GetWindowLongW(m, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    ExpectRect(In(m, m.PanelTop), 3, 3, 508, 40, "top band");
    ExpectRect(In(m, m.PanelDisplay), 3, 49, 508, 62, "display band");
    ExpectRect(In(m, m.PanelMode), 3, 117, 508, 50, "mode band");
    ExpectRect(In(m, m.PanelInterval), 3, 173, 508, 38, "interval band");
    ExpectRect(In(m, m.PanelBottom), 3, 225, 508, 46, "bottom band");

    RECT b = m.ToolBarMain.ButtonRect(TFormMain::tbSett);
    EXPECT_EQ(39, b.right - b.left);
    EXPECT_EQ(38, b.bottom - b.top);
    EXPECT_EQ(0, In(m.PanelTop, m.ToolBarMain).left);
    ExpectRect(In(m.PanelTop, m.DateTimePickerTC), 398, 5, 110, 30, "time picker");
    ExpectRect(In(m.PanelTop, m.DateTimePickerDC), 264, 5, 130, 30, "date picker");
    EXPECT_LT(In(m.PanelTop, m.ToolBarConnect).right, In(m.PanelTop, m.DateTimePickerDC).left + 1);
    RECT emul = In(m.PanelDisplay, m.PanelEmul);
    EXPECT_EQ(156, emul.right - emul.left);
    EXPECT_EQ(62, emul.bottom - emul.top);
    EXPECT_EQ(330, In(m.PanelMode, m.ComboBoxMode).right - In(m.PanelMode, m.ComboBoxMode).left);
    EXPECT_EQ(508, In(m.PanelMode, m.ComboBoxMode).right);
    EXPECT_EQ(40, m.ComboBoxMode.Send(CB_GETITEMHEIGHT, 0));
    ExpectRect(In(m.PanelInterval, m.ImageInterval), 422, 3, 32, 32, "interval image");
    EXPECT_EQ(50, In(m.PanelInterval, m.EditInterval).right - In(m.PanelInterval, m.EditInterval).left);
    EXPECT_EQ(3, m.EditInterval.Send(EM_GETLIMITTEXT));
    ExpectRect(In(m.PanelBottom, m.SpeedButtonSet), 345, 3, 160, 40, "write button");
    ExpectRect(In(m.PanelBottom, m.SpeedButtonGet), 179, 3, 160, 40, "read button");
}

TEST_F(MainWindow, CaptionsHintsItemsAndImages) {
    Open();
    TFormMain& m = Main();
    EXPECT_EQ(L"Прочитать", m.SpeedButtonGet.Text());
    EXPECT_EQ(L"Установить", m.SpeedButtonSet.Text());
    EXPECT_EQ(L"Режимы работы:", m.LabelMode.Text());
    EXPECT_EQ(L"Интервал смены информации (1-255), сек.", m.LabelInterval.Text());
    const wchar_t* items[] = {L"Время", L"Время/Температура", L"Время/Дата/Температура", L"Температура"};
    ASSERT_EQ(4, m.ComboBoxMode.Count());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(items[i], m.ComboBoxMode.ItemText(i));
    struct {
        int id, image;
        const wchar_t* hint;
    } buttons[] = {{TFormMain::tbSett, 5, L"Настройки"},
                   {TFormMain::tbTime, 8, L"Настройки времени и яркости"},
                   {TFormMain::tbHelp, 6, L"Помощь  F1"},
                   {TFormMain::tbAbout, 7, L"О программе"}};
    for (const auto& b : buttons) {
        EXPECT_EQ(b.image, m.ToolBarMain.Image(b.id));
        EXPECT_EQ(b.hint, m.ToolBarMain.Hint(b.id));
    }
    EXPECT_EQ(0, m.ToolBarConnect.Image(TFormMain::tbInterface));
    EXPECT_EQ(L"COM", m.ToolBarConnect.Hint(TFormMain::tbInterface));
    EXPECT_EQ(17, m.ImageList32x32.Count());
    EXPECT_EQ(17, m.ImageList32x32H.Count());
    EXPECT_EQ(17, m.ImageList32x32D.Count());
    EXPECT_EQ(4, m.ImageListZVL_Modes.Count());
    EXPECT_EQ(9, m.PopupMenuDateTime.ImageIndex(TFormMain::miSetCurrent));
    EXPECT_EQ(0, m.PopupMenuDateTime.ImageIndex(TFormMain::miRefreshDateTime));
    EXPECT_EQ(L"версия 2.01", w->FormAbout.LabelAppVersion.Text());
    EXPECT_EQ(L"Время/Дата/Температура", w->FormAbout.LabelAppName.Text());
    // The settings dialog offers the serial port only.
    EXPECT_EQ(1, w->FormSett.ComboBoxInterface.Count());
    EXPECT_FALSE(IsWindowVisible(w->FormSett.GroupBoxTCP));
    EXPECT_FALSE(IsWindowVisible(w->FormSett.GroupBoxInterface));
}

// ---- rights and modes -------------------------------------------------------------------

TEST_F(MainWindow, WithoutControllerSettingNothingCanBeChanged) {
    Open("[COMMON]\r\n", "[ZVL]\r\nMode=2\r\nInterval=10\r\n");
    TFormMain& m = Main();
    EXPECT_FALSE(m.ControllerSetting);
    EXPECT_FALSE(IsWindowVisible(m.DateTimePickerDC));
    EXPECT_FALSE(IsWindowVisible(m.DateTimePickerTC));
    EXPECT_FALSE(IsWindowVisible(m.SpeedButtonSet));
    EXPECT_TRUE(IsWindowVisible(m.SpeedButtonGet));
    EXPECT_FALSE(m.ComboBoxMode.Enabled());
    EXPECT_FALSE(m.LabelMode.Enabled());
    for (int item = 0; item < 4; ++item) {
        m.ComboBoxMode.SetIndex(item);
        m.ComboBoxModeChange();
        EXPECT_FALSE(m.EditInterval.Enabled()) << item;
        EXPECT_FALSE(m.LabelInterval.Enabled()) << item;
    }
}

TEST_F(MainWindow, ModesEnableTheIntervalRowAndThePickers) {
    Open();
    TFormMain& m = Main();
    struct {
        int item;
        bool interval, pickers;
    } cases[] = {{0, false, true}, {1, true, true}, {2, true, true}, {3, false, false}};
    for (const auto& c : cases) {
        m.ComboBoxMode.SetIndex(c.item);
        m.ComboBoxModeChange();
        EXPECT_EQ(c.item + 1, m.BoardSettings.Mode);
        EXPECT_EQ(c.interval, m.EditInterval.Enabled()) << c.item;
        EXPECT_EQ(c.interval, m.PanelInterval.Enabled()) << c.item;
        EXPECT_EQ(c.interval, m.LabelInterval.Enabled()) << c.item;
        EXPECT_EQ(c.pickers, m.DateTimePickerDC.Enabled()) << c.item;
        EXPECT_EQ(c.pickers, m.DateTimePickerTC.Enabled()) << c.item;
        // The interval picture is the normal or the grey stopwatch.
        widgets::Canvas expected(32, 32);
        expected.Fill(m.ImageInterval.Back());
        (c.interval ? m.ImageList32x32 : m.ImageList32x32D).Draw(expected.Dc(), 16, 0, 0);
        uitest::Rendered image(m.ImageInterval);
        int differing = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) differing += image.At(x, y) != expected.Pixel(x, y);
        EXPECT_EQ(0, differing) << c.item;
    }
    m.ComboBoxMode.SetIndex(-1);
    m.ComboBoxModeChange();
    EXPECT_EQ(0, m.BoardSettings.Mode);
}

// ---- the interval field ------------------------------------------------------------------

TEST_F(MainWindow, TypingAndLeavingTheIntervalField) {
    Open();
    TFormMain& m = Main();
    uitest::BoxRecorder boxes;
    m.EditInterval.SetText(L"");
    Type(L"3");
    EXPECT_EQ(3, m.BoardSettings.Interval);
    Type(L"0");
    EXPECT_EQ(30, m.BoardSettings.Interval);
    Type(L"0");
    EXPECT_EQ(L"300", m.EditInterval.Text());
    EXPECT_EQ(30, m.BoardSettings.Interval) << "300 is no interval: the value stays";
    Type(L"a-+ .");
    EXPECT_EQ(L"300", m.EditInterval.Text()) << "only digits and Backspace pass";
    Type(L"\b");
    EXPECT_EQ(L"30", m.EditInterval.Text());
    Type(L"0");

    struct {
        const wchar_t* text;
        bool warns;
    } cases[] = {{L"300", true}, {L"0", true}, {L"", true}, {L"255", false}, {L"1", false}, {L"007", false}};
    for (const auto& c : cases) {
        boxes.Boxes.clear();
        m.EditInterval.SetText(c.text);
        m.EditIntervalExit();
        if (c.warns) {
            ASSERT_EQ(1u, boxes.Boxes.size()) << widgets::Narrow(c.text);
            EXPECT_EQ("Допустимые значения для интервала 1-255      \r\nБудет установлено минимальное допустимое значение",
                      boxes.Boxes[0].Text);
            EXPECT_EQ("Внимание", boxes.Boxes[0].Caption);
            EXPECT_EQ(compat::kBoxIconWarning | compat::kBoxTopMost, boxes.Boxes[0].Type);
            EXPECT_EQ(L"1", m.EditInterval.Text());
            EXPECT_EQ(1, m.BoardSettings.Interval);
            EXPECT_EQ(GetSysColor(COLOR_WINDOW), m.EditInterval.Colour());
        } else {
            EXPECT_TRUE(boxes.Boxes.empty()) << widgets::Narrow(c.text);
            EXPECT_EQ(c.text, m.EditInterval.Text());
        }
    }
}

// The check runs when the focus moves to another control of the window, never
// when it goes to another window (a dialog, another program) or the window closes.
TEST_F(MainWindow, TheIntervalIsCheckedOnlyWhenAnotherControlOfTheWindowTakesTheFocus) {
    Open();
    TFormMain& m = Main();
    uitest::BoxRecorder boxes;

    HWND elsewhere = CreateWindowExW(0, L"STATIC", L"elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr,
                                     nullptr, nullptr, nullptr);
    SetFocus(m.EditInterval);
    m.EditInterval.SetText(L"0");
    SetFocus(elsewhere);
    EXPECT_TRUE(boxes.Boxes.empty()) << "focus went to another window";
    EXPECT_EQ(L"0", m.EditInterval.Text());
    DestroyWindow(elsewhere);

    SetFocus(m.EditInterval);
    SetFocus(m.ComboBoxMode);
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("Внимание", boxes.Boxes[0].Caption);
    EXPECT_EQ(L"1", m.EditInterval.Text());

    boxes.Boxes.clear();
    SetFocus(m.EditInterval);
    m.EditInterval.SetText(L"0");
    SendMessageW(m, WM_CLOSE, 0, 0);
    EXPECT_TRUE(boxes.Boxes.empty()) << "closing shows no warning";
    char value[64];
    GetPrivateProfileStringA("ZVL", "Interval", "", value, sizeof value, BinPath("Zorvel.ini").c_str());
    EXPECT_STREQ("1", value) << "an interval outside 1..255 is never saved";
}

TEST_F(MainWindow, AnIntervalOfZeroFromTheFileIsSavedAsOne) {
    Open("[COMMON]\r\nControllerSetting=1\r\n", "[ZVL]\r\nMode=1\r\n");
    uitest::BoxRecorder boxes;
    SendMessageW(Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(boxes.Boxes.empty());
    char value[64];
    GetPrivateProfileStringA("ZVL", "Interval", "", value, sizeof value, BinPath("Zorvel.ini").c_str());
    EXPECT_STREQ("1", value);
}

// Ctrl+X, Ctrl+C and Ctrl+V reach the field through its key filter; a paste
// is filtered like typed text.
TEST_F(MainWindow, CutCopyAndPasteKeysWorkInTheIntervalField) {
    Open();
    TFormMain& m = Main();
    auto clipboard = [&]() {
        std::wstring text;
        if (OpenClipboard(m)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                text = static_cast<const wchar_t*>(GlobalLock(data));
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        return text;
    };
    auto setClipboard = [&](const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(m));
        EmptyClipboard();
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        std::memcpy(GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(data);
        SetClipboardData(CF_UNICODETEXT, data);
        CloseClipboard();
    };

    SetFocus(m.EditInterval);
    m.EditInterval.SetText(L"123");
    m.EditInterval.Send(EM_SETSEL, 0, -1);
    Type(L"\x03");
    EXPECT_EQ(L"123", clipboard()) << "Ctrl+C";
    Type(L"\x18");
    EXPECT_EQ(L"", m.EditInterval.Text()) << "Ctrl+X";
    Type(L"\x16");
    EXPECT_EQ(L"123", m.EditInterval.Text()) << "Ctrl+V";
    EXPECT_EQ(123, m.BoardSettings.Interval);

    setClipboard(L"4a5 ");
    m.EditInterval.Send(EM_SETSEL, 0, -1);
    Type(L"\x16");
    EXPECT_EQ(L"45", m.EditInterval.Text()) << "only the digits of a paste arrive";
    setClipboard(L"abc");
    m.EditInterval.Send(EM_SETSEL, 0, -1);
    m.miPasteClick();
    EXPECT_EQ(L"", m.EditInterval.Text()) << "the menu's paste filters too";
}

TEST_F(MainWindow, TheFieldTurnsRedWhileTheWarningIsShown) {
    Open();
    TFormMain& m = Main();
    uitest::BoxRecorder boxes;
    static COLORREF seen;
    seen = 0;
    static TFormMain* main;
    main = &m;
    boxes.DuringBox = [](void*) { seen = main->EditInterval.Colour(); };
    m.EditInterval.SetText(L"0");
    m.EditIntervalExit();
    EXPECT_EQ(RGB(255, 0, 0), seen);
}

// ---- the timer ----------------------------------------------------------------------------

TEST_F(MainWindow, TimerStepsPerInterface) {
    Open();
    TFormMain& m = Main();
    auto exchange = [&] { return std::make_pair(m.SpeedButtonGet.Enabled(), m.SpeedButtonSet.Enabled()); };
    using P = std::pair<bool, bool>;

    board::Interface = 0;  // serial: the buttons follow Busy
    board::Busy = true;
    m.TimerTimer();
    EXPECT_EQ(P(false, false), exchange());
    board::Busy = false;
    m.TimerTimer();
    EXPECT_EQ(P(true, true), exchange());
    EXPECT_FALSE(w->FormStat.Visible());
    EXPECT_FALSE(w->FormSett.SpeedButtonGSM_PowerOff.Enabled());

    for (int usb : {1, 4}) {  // USB and radio: the adapter must be there
        board::Interface = static_cast<std::int8_t>(usb);
        cFTD::DevicesCount = 0;
        m.TimerTimer();
        EXPECT_EQ(P(false, false), exchange()) << usb;
        cFTD::DevicesCount = 1;
        m.TimerTimer();
        EXPECT_EQ(P(true, true), exchange()) << usb;
        board::Busy = true;
        m.TimerTimer();
        EXPECT_EQ(P(false, false), exchange()) << usb;
        board::Busy = false;
    }

    board::Interface = 2;  // TCP: the status window while a socket exists
    board::TCP.Socket = 0;
    m.TimerTimer();
    EXPECT_FALSE(w->FormStat.Visible());
    board::TCP.Socket = 1234;
    for (int tick = 0; tick < 3; ++tick) {
        m.TimerTimer();
        EXPECT_TRUE(w->FormStat.Visible());
        EXPECT_EQ(L"TCP", w->FormStat.Text());
        EXPECT_EQ(L"Установка TCP соединения..", w->FormStat.LabelStat.Caption());
    }
    EXPECT_NE(GetForegroundWindow(), w->FormStat.hwnd) << "the status window takes no input";
    board::TCP.Socket = 0;
    m.TimerTimer();
    EXPECT_FALSE(w->FormStat.Visible());

    board::Interface = 2;
    board::TCP.Socket = 99;
    m.TimerTimer();
    board::Interface = 5;  // no interface: the status window goes away
    m.TimerTimer();
    EXPECT_FALSE(w->FormStat.Visible());
    EXPECT_EQ(P(true, true), exchange());
    board::TCP.Socket = 0;
}

TEST_F(MainWindow, TimerFollowsTheGsmModem) {
    Open();
    TFormMain& m = Main();
    board::Interface = 3;
    cGSM& gsm = board::GSM;
    m.TimerTimer();
    EXPECT_FALSE(w->FormGSM.Visible());
    EXPECT_FALSE(m.SpeedButtonGet.Enabled()) << "no network yet";
    gsm.ModemOn = 1;
    gsm.BalanceEnable = 1;
    std::snprintf(gsm.StatusText[2], sizeof gsm.StatusText[2], "%s", "Поиск сети");
    gsm.StatusIdx = 2;
    m.TimerTimer();
    EXPECT_TRUE(w->FormGSM.Visible());
    EXPECT_TRUE(w->FormStat.Visible());
    EXPECT_EQ(L"GSM", w->FormStat.Text());
    EXPECT_EQ(L"Поиск сети", w->FormStat.LabelStat.Caption());
    EXPECT_TRUE(w->FormSett.SpeedButtonGSM_PowerOff.Enabled());
    EXPECT_TRUE(w->FormSett.SpeedButtonSIM_Balance.Enabled());
    EXPECT_TRUE(w->FormSett.SpeedButtonSIM_Clear.Enabled());
    gsm.NetworkFound = 1;
    gsm.CSQ_Gate1 = 1, gsm.CSQ_Gate2 = 1, gsm.CSQ = 31;
    gsm.StatusIdx = 0;
    m.TimerTimer();
    EXPECT_TRUE(m.SpeedButtonGet.Enabled());
    EXPECT_FALSE(w->FormStat.Visible());
    EXPECT_EQ(L"93%", w->FormGSM.LabelCSQ.Text());
    EXPECT_EQ(L"Сеть найдена", w->FormGSM.Hints.Get(w->FormGSM.ImageNet));
    gsm.Busy = 1;
    m.TimerTimer();
    EXPECT_FALSE(w->FormSett.SpeedButtonGSM_PowerOff.Enabled());
    gsm.Busy = 0;
    gsm.ModemOn = 0;
    gsm.NetworkFound = 0;
    gsm.CSQ_Gate1 = 0, gsm.CSQ_Gate2 = 0, gsm.BalanceEnable = 0;
    board::Interface = 0;
    m.TimerTimer();
    EXPECT_FALSE(w->FormGSM.Visible());
    EXPECT_FALSE(w->FormSett.SpeedButtonGSM_PowerOff.Enabled());
}

TEST_F(MainWindow, GsmWindowOnlyForTheModemInterfaceWithTheModemOn) {
    Open();
    TFormMain& m = Main();
    struct Case {
        int interface_;
        int modemOn;
        bool shown;
    } cases[] = {{3, 1, true}, {3, 0, false}, {0, 1, false}, {1, 1, false}, {2, 1, false}, {4, 1, false}, {3, 1, true}};
    for (const Case& c : cases) {
        board::Interface = static_cast<std::int8_t>(c.interface_);
        board::GSM.ModemOn = c.modemOn;
        m.TimerTimer();
        EXPECT_EQ(c.shown, w->FormGSM.Visible()) << "interface " << c.interface_ << ", modem " << c.modemOn;
    }
    // The network flag is acted on once per change, and only while the window shows.
    board::Interface = 0;
    m.TimerTimer();
    board::Interface = 3;
    board::GSM.NetworkFound = 1;
    m.TimerTimer();
    EXPECT_EQ(L"Сеть найдена", w->FormGSM.Hints.Get(w->FormGSM.ImageNet)) << "acted on while showing";
    board::GSM.ModemOn = 0;
    m.TimerTimer();
    board::GSM.ModemOn = 1;
    m.TimerTimer();
    EXPECT_EQ(L"Сеть найдена", w->FormGSM.Hints.Get(w->FormGSM.ImageNet)) << "unchanged flag: nothing acted on";
    board::GSM.NetworkFound = 0;
    m.TimerTimer();
    EXPECT_EQ(L"Не удается подключиться к сети", w->FormGSM.Hints.Get(w->FormGSM.ImageNet));
    board::GSM.ModemOn = 0;
    board::Interface = 0;
    m.TimerTimer();
}

TEST(GsmWindow, GaugeValues) {
    widgets::ImageList normal, grey;
    TFormGSM gsm(nullptr, normal, grey);
    struct {
        int q;
        const wchar_t* label;
        COLORREF colour;
        int filled;
    } cases[] = {{99, L"", RGB(255, 0, 0), 0}, {0, L"", RGB(255, 0, 0), 0}, {20, L"60%", RGB(102, 102, 0), 60},
                 {31, L"93%", RGB(17, 187, 0), 93}, {10, L"30%", RGB(178, 26, 0), 30}};
    for (const auto& c : cases) {
        gsm.GaugeUpdate(c.q);
        EXPECT_EQ(c.label, gsm.LabelCSQ.Text()) << c.q;
        const widgets::Canvas& canvas = gsm.ImageCSQ.Surface();
        // Stripe i spans trunc((99 - i) * 3.16) .. trunc((100 - i) * 3.16); probe its middle.
        int filled = 0;
        for (int i = 0; i < 100; ++i) {
            int y = static_cast<int>((99 - i) * 3.16) + 1;
            filled += canvas.Pixel(19, y) != gsm.ImageCSQ.Back();
        }
        EXPECT_EQ(c.filled, filled) << c.q;
    }
    gsm.GaugeUpdate(31);
    int top = static_cast<int>((99 - 92) * 3.16) + 1;
    EXPECT_EQ(RGB(static_cast<int>(92 * (17 / 94.0)), static_cast<int>(92 * (237 / 94.0)), 0),
              gsm.ImageCSQ.Surface().Pixel(19, top));
}

// ---- the display imitation -------------------------------------------------------------------

TEST_F(MainWindow, DisplayShowsTheClockWithALeadingZeroAndTheBrightness) {
    Open("[COMMON]\r\nControllerSetting=1\r\n[TIME]\r\nRefresh=0\r\nBrightN=40\r\nBrightA=100\r\n",
         "[ZVL]\r\nMode=1\r\nInterval=5\r\n");
    TFormMain& m = Main();
    m.Timer.SetEnabled(false);
    SYSTEMTIME t{};
    GetLocalTime(&t);
    t.wHour = 9, t.wMinute = 5, t.wSecond = 3;
    m.DateTimePickerTC.SetValue(t);
    m.Emulation.RefreshCountdown = 0;
    m.EmulationStep();
    EXPECT_EQ(L"09:05:03", m.PanelEmul.Caption());
    // The same text again leaves the panel as painted; a new one repaints it.
    UpdateWindow(m.PanelEmul);
    m.Emulation.RefreshCountdown = 0;
    m.EmulationStep();
    EXPECT_FALSE(GetUpdateRect(m.PanelEmul, nullptr, FALSE));
    t.wSecond = 4;
    m.DateTimePickerTC.SetValue(t);
    m.Emulation.RefreshCountdown = 0;
    m.EmulationStep();
    EXPECT_TRUE(GetUpdateRect(m.PanelEmul, nullptr, FALSE));

    struct {
        WORD hour;
        int intensity;
    } cases[] = {{3, 100}, {12, 250}};
    for (const auto& c : cases) {
        t.wHour = c.hour;
        m.DateTimePickerTC.SetValue(t);
        m.DateTimePickerTCChange();
        EXPECT_EQ(RGB(c.intensity, 0, 0), m.PanelEmul.TextColour()) << c.hour;
        m.EmulationStep();
        m.Emulation.RefreshCountdown = 0;
        m.EmulationStep();
        uitest::Rendered panel(m.PanelEmul);
        EXPECT_GT(panel.Count(RGB(c.intensity, 0, 0)), 50) << "text pixels of hour " << c.hour;
        EXPECT_GT(panel.Count(RGB(0, 0, 0)), 3000) << "black background";
    }
}

TEST_F(MainWindow, DisplayFollowsTheComputerClockWhenRefreshIsOn) {
    Open("[COMMON]\r\nControllerSetting=1\r\n[TIME]\r\nRefresh=1\r\n", "[ZVL]\r\nMode=4\r\nInterval=5\r\n");
    TFormMain& m = Main();
    m.Timer.SetEnabled(false);
    EXPECT_TRUE(m.PopupMenuDateTime.Checked(TFormMain::miRefreshDateTime));
    SYSTEMTIME old{};
    GetLocalTime(&old);
    old.wYear = 2001;
    m.DateTimePickerDC.SetValue(old);
    m.Emulation.RefreshCountdown = 0;
    m.EmulationStep();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, m.DateTimePickerDC.Value().wYear);
    std::wstring text = m.PanelEmul.Caption();
    EXPECT_EQ(L'\u00B0', text.back()) << "mode 4 shows the temperature";
    // Switching it off keeps the pickers.
    m.PopupMenuDateTime.Choose(TFormMain::miRefreshDateTime);
    EXPECT_FALSE(m.Refresh);
    m.DateTimePickerDC.SetValue(old);
    m.Emulation.RefreshCountdown = 0;
    m.EmulationStep();
    EXPECT_EQ(2001, m.DateTimePickerDC.Value().wYear);
}

// ---- configuration ---------------------------------------------------------------------------

TEST_F(MainWindow, ConfigurationLoadedAtFirstShowAndSavedAtClose) {
    const std::string common =
        "[COMMON]\r\nInterface=0\r\nInterfaces[0]=\xCF\xEE\xF0\xF2 COM\r\nControllerSetting=1\r\n"
        "[TIME]\r\nRefresh=0\r\nHourM=5\r\nHourA=9\r\nHourE=17\r\nHourN=22\r\n"
        "BrightM=30\r\nBrightA=90\r\nBrightE=70\r\nBrightN=20\r\n";
    const std::string zorvel = "[ZVL]\r\nBoardN=7\r\nRepeatsC=2\r\nMode=2\r\nInterval=45\r\n";
    Open(common, zorvel);
    TFormMain& m = Main();
    EXPECT_EQ(2, m.BoardSettings.Mode);
    EXPECT_EQ(1, m.ComboBoxMode.Index());
    EXPECT_EQ(L"45", m.EditInterval.Text());
    EXPECT_EQ(22, m.BoardSettings.HourN);
    EXPECT_EQ(L"Порт COM", m.ToolBarConnect.Hint(TFormMain::tbInterface));
    EXPECT_FALSE(m.PopupMenuDateTime.Checked(TFormMain::miRefreshDateTime));
    // Nothing changed: the close writes back exactly what was read.
    const std::string before = ReadFile("Common.ini") + ReadFile("Zorvel.ini");
    SendMessageW(m, WM_CLOSE, 0, 0);
    EXPECT_EQ(common, ReadFile("Common.ini"));
    EXPECT_EQ(zorvel, ReadFile("Zorvel.ini"));
    EXPECT_EQ(before, ReadFile("Common.ini") + ReadFile("Zorvel.ini"));
}

TEST_F(MainWindow, ChangesReachTheFilesAtClose) {
    Open();
    TFormMain& m = Main();
    m.ComboBoxMode.SetIndex(1);
    m.ComboBoxModeChange();
    m.EditInterval.SetText(L"77");
    m.PopupMenuDateTime.Choose(TFormMain::miRefreshDateTime);
    board::Interface = 2;
    SendMessageW(m, WM_CLOSE, 0, 0);
    char value[64];
    GetPrivateProfileStringA("ZVL", "Mode", "", value, sizeof value, BinPath("Zorvel.ini").c_str());
    EXPECT_STREQ("2", value);
    GetPrivateProfileStringA("ZVL", "Interval", "", value, sizeof value, BinPath("Zorvel.ini").c_str());
    EXPECT_STREQ("77", value);
    GetPrivateProfileStringA("COMMON", "Interface", "", value, sizeof value, BinPath("Common.ini").c_str());
    EXPECT_STREQ("2", value);
    GetPrivateProfileStringA("TIME", "Refresh", "", value, sizeof value, BinPath("Common.ini").c_str());
    EXPECT_STREQ("1", value);
    board::Interface = 0;
}

// ---- exchanges through the buttons -----------------------------------------------------------

const std::string kStatus =
    "Soft:10.1\r\nTime:12:05:09\r\nDate:06.12.26\r\nMode:4\r\nInterval,sec:10\r\n"
    "Time Brightness:6.10.16.21\r\nBrightness(20...100):100.80.60.20\r\nT=+21\r\n";

TEST_F(MainWindow, ReadThroughTheButtonFillsTheWindow) {
    Open();
    TFormMain& m = Main();
    uitest::BoxRecorder boxes;
    fakes::VirtualClock clock;
    board::Interface = 0;
    fakes::AddReply({fakes::Kind::COM, "read status\r", kStatus, 300});
    fakes::ClearCalls();
    static TFormMain* main;
    main = &m;
    static std::wstring captionDuring;
    clock.onMessages = [] { captionDuring = main->SpeedButtonGet.Text(); };
    m.SpeedButtonGetClick();
    EXPECT_EQ(L"Ждите...", captionDuring);
    ASSERT_EQ(2u, boxes.Boxes.size());  // the clock warning, then the outcome
    EXPECT_EQ("Внимание", boxes.Boxes[0].Caption);
    EXPECT_EQ("Настройки успешно прочитаны", boxes.Boxes[1].Text);
    EXPECT_EQ("Информация", boxes.Boxes[1].Caption);
    EXPECT_EQ(m.hwnd, boxes.Boxes[1].Owner);
    SYSTEMTIME date = m.DateTimePickerDC.Value(), time = m.DateTimePickerTC.Value();
    EXPECT_EQ(6, date.wDay);
    EXPECT_EQ(12, date.wMonth);
    EXPECT_EQ(2026, date.wYear);
    EXPECT_EQ(12, time.wHour);
    EXPECT_EQ(5, time.wMinute);
    EXPECT_EQ(9, time.wSecond);
    EXPECT_EQ(3, m.ComboBoxMode.Index());
    EXPECT_EQ(4, m.BoardSettings.Mode);
    EXPECT_EQ(L"10", m.EditInterval.Text());
    EXPECT_FALSE(m.EditInterval.Enabled()) << "mode 4 has no interval";
    EXPECT_FALSE(m.DateTimePickerDC.Enabled());
    EXPECT_EQ(20, m.BoardSettings.BrightN);
    EXPECT_FALSE(m.Refresh);
    EXPECT_FALSE(m.PopupMenuDateTime.Checked(TFormMain::miRefreshDateTime));
    EXPECT_EQ(L"Прочитать", m.SpeedButtonGet.Text());
    EXPECT_TRUE(m.SpeedButtonGet.Enabled());
    EXPECT_TRUE(m.ToolBarMain.ButtonEnabled(TFormMain::tbSett));
    EXPECT_FALSE(board::Busy);
    EXPECT_EQ((std::vector<std::string>{"COM.Open(1,1)", "COM.SendEx(read status\r)", "COM.Close()"}),
              fakes::Calls());
}

TEST_F(MainWindow, WriteThroughTheButtonSendsTheWindowsValues) {
    Open();
    TFormMain& m = Main();
    uitest::BoxRecorder boxes;
    fakes::VirtualClock clock;
    board::Interface = 0;
    fakes::AddReply({fakes::Kind::COM, "read status\r", kStatus, 100});
    fakes::AddReply({fakes::Kind::COM, "write", "Ok\r", 100});
    m.ComboBoxMode.SetIndex(1);
    m.ComboBoxModeChange();
    m.EditInterval.SetText(L"42");
    m.SpeedButtonSetClick();
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("Устройство подтверждает смену настроек", boxes.Boxes[0].Text);
    std::vector<std::string> sent;
    for (const std::string& call : fakes::Calls())
        if (call.rfind("COM.SendEx(write mode", 0) == 0 || call.rfind("COM.SendEx(write interval", 0) == 0)
            sent.push_back(call);
    EXPECT_EQ((std::vector<std::string>{"COM.SendEx(write mode=2\r)", "COM.SendEx(write interval=42\r)"}), sent);
    EXPECT_EQ(L"Установить", m.SpeedButtonSet.Text());
}

// ---- the help document and the connection schemes -----------------------------------------------

class HelpAndSchemes : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        dir = compat::JoinPath(compat::ExecutableDir(), "help_files");
        CreateDirectoryW(compat::Utf8ToWide(dir).c_str(), nullptr);
        Clean();
        Open("[COMMON]\r\nControllerSetting=1\r\nInterfaces[0]=COM\r\nInterfaces[1]=USB\r\nInterfaces[2]=TCP\r\n"
             "Interfaces[3]=GSM\r\nInterfaces[4]=RFM\r\n");
        Main().AppInfo.Directory = dir;
    }
    void TearDown() override {
        Clean();
        board::Interface = 0;
        MainWindow::TearDown();
    }
    void Clean() const {
        std::remove(compat::JoinPath(dir, "Zorvel.pdf").c_str());
        for (int i = -1; i <= 7; ++i) std::remove(Path(i).c_str());
    }
    std::string Path(int i) const { return compat::JoinPath(dir, "Scheme" + std::to_string(i) + ".bmp"); }
    // A picture of width x height whose pixels are all grey.
    void Picture(int i, int width, int height) const {
        const int stride = (width * 3 + 3) & ~3, size = 54 + stride * height;
        std::string b(static_cast<size_t>(size), '\x80');
        auto put = [&](int at, int value) {
            for (int k = 0; k < 4; ++k) b[static_cast<size_t>(at + k)] = static_cast<char>(value >> (8 * k));
        };
        std::fill(b.begin(), b.begin() + 54, '\0');
        b[0] = 'B', b[1] = 'M';
        put(2, size), put(10, 54), put(14, 40), put(18, width), put(22, height);
        b[26] = 1, b[28] = 24;
        std::ofstream(Path(i), std::ios::binary) << b;
    }
    // Clicks the scheme button as the toolbar does; the picture window, if
    // shown, is closed with Escape from the queue.
    void ClickScheme() {
        PostMessageW(w->FormImage, WM_COMMAND, IDCANCEL, 0);
        TFormMain& m = Main();
        SendMessageW(m.PanelTop, WM_COMMAND, MAKEWPARAM(TFormMain::tbInterface, BN_CLICKED),
                     reinterpret_cast<LPARAM>(m.ToolBarConnect.hwnd));
        uitest::PumpPending();
    }
    std::string dir;
};

TEST_F(HelpAndSchemes, MissingDocumentDisablesTheButtonForTheRun) {
    uitest::BoxRecorder boxes;
    TFormMain& m = Main();
    m.tbHelpClick();
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("Файл справки не найден", boxes.Boxes[0].Text);
    EXPECT_EQ("Ошибка", boxes.Boxes[0].Caption);
    EXPECT_EQ(compat::kBoxIconError | compat::kBoxTopMost, boxes.Boxes[0].Type);
    EXPECT_EQ(m.hwnd, boxes.Boxes[0].Owner);
    EXPECT_FALSE(m.ToolBarMain.ButtonEnabled(TFormMain::tbHelp));
    EXPECT_EQ(L"Файл справки не найден", m.ToolBarMain.Hint(TFormMain::tbHelp));
    m.FormKeyDown(VK_F1);
    ASSERT_EQ(2u, boxes.Boxes.size()) << "F1 does the same";
    EXPECT_EQ("Файл справки не найден", boxes.Boxes[1].Text);
    std::ofstream(compat::JoinPath(dir, "Zorvel.pdf"), std::ios::binary) << "%PDF-1.4";
    m.FormActivate();
    EXPECT_FALSE(m.ToolBarMain.ButtonEnabled(TFormMain::tbHelp)) << "stays disabled for the run";
    EXPECT_EQ(L"Файл справки не найден", m.ToolBarMain.Hint(TFormMain::tbHelp));
}

TEST_F(HelpAndSchemes, EachInterfaceShowsItsOwnScheme) {
    uitest::BoxRecorder boxes;
    TFormMain& m = Main();
    const wchar_t* names[] = {L"COM", L"USB", L"TCP", L"GSM", L"RFM"};
    for (int i = 0; i <= 4; ++i) Picture(i, 400 + 20 * i, 100 + 10 * i);
    for (int i = 0; i <= 4; ++i) {
        board::Interface = static_cast<std::int8_t>(i);
        m.FormActivate();
        ClickScheme();
        EXPECT_TRUE(boxes.Boxes.empty()) << i;
        EXPECT_EQ(L"Схема подключения", w->FormImage.Text());
        EXPECT_EQ(std::wstring(L"Схема подключения для контроллера универсального через ") + names[i],
                  w->FormImage.Label.Caption());
        RECT r{};
        GetWindowRect(w->FormImage, &r);
        EXPECT_EQ(400 + 20 * i + 12, r.right - r.left) << "the picture numbered " << i;
        EXPECT_EQ(100 + 10 * i + 38 + 40 + 50, r.bottom - r.top) << i;
        EXPECT_FALSE(w->FormImage.Visible());
        EXPECT_TRUE(m.ToolBarConnect.ButtonEnabled(TFormMain::tbInterface));
    }
}

TEST_F(HelpAndSchemes, MissingOrUnreadableSchemes) {
    uitest::BoxRecorder boxes;
    TFormMain& m = Main();
    // A file that is no picture: one error box, no window, the button stays.
    board::Interface = 1;
    std::ofstream(Path(1), std::ios::binary) << "BM, and nothing of a picture";
    ClickScheme();
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_NE(std::string::npos, boxes.Boxes[0].Text.find("Scheme1.bmp")) << boxes.Boxes[0].Text;
    EXPECT_EQ("Ошибка", boxes.Boxes[0].Caption);
    EXPECT_FALSE(w->FormImage.Visible());
    EXPECT_TRUE(m.ToolBarConnect.ButtonEnabled(TFormMain::tbInterface));
    w->FormImage.ModalResult = widgets::mrNone;
    uitest::PumpPending();  // the Escape meant for a window that never showed

    // Missing, also for numbers outside 0..4: one box, disabled, the hint keeps the reason.
    for (int i : {2, 7, -1}) {
        boxes.Boxes.clear();
        m.ToolBarConnect.EnableButton(TFormMain::tbInterface, true);
        board::Interface = static_cast<std::int8_t>(i);
        ClickScheme();
        ASSERT_EQ(1u, boxes.Boxes.size()) << i;
        EXPECT_EQ("Файл схемы не найден", boxes.Boxes[0].Text);
        EXPECT_EQ(compat::kBoxIconError | compat::kBoxTopMost, boxes.Boxes[0].Type);
        EXPECT_FALSE(m.ToolBarConnect.ButtonEnabled(TFormMain::tbInterface)) << i;
        EXPECT_EQ(L"Файл схемы не найден", m.ToolBarConnect.Hint(TFormMain::tbInterface));
        EXPECT_FALSE(w->FormImage.Visible());
    }
    board::Interface = 0;
    m.FormActivate();
    EXPECT_EQ(L"Файл схемы не найден", m.ToolBarConnect.Hint(TFormMain::tbInterface)) << "a disabled button keeps its reason";
    EXPECT_EQ(0, m.ToolBarConnect.Image(TFormMain::tbInterface));
}

}  // namespace
