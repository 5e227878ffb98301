// The main window on interface 3 (the GSM modem) and interface 4 (the radio
// module) under Wine, through the D2XX double to boardsim: a read through the
// button each way. While the final message box is up the transport is still
// open, so that is when the test looks at what the timer made of the modem's
// state. Run by usb_links_with_simulators.py, which names the simulators.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"
#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/board/link.h"

namespace {

using testsupport::BinPath;
constexpr auto Env = testsupport::GetEnv;

// What the simulator received, one entry per log line, from a Unix path.
std::vector<std::string> Received(const std::string& unixLog) {
    std::ifstream log("Z:" + unixLog);
    std::vector<std::string> received;
    for (std::string line; std::getline(log, line);) {
        std::istringstream fields(line);
        std::string time, channel, entry;
        std::getline(fields, time, '\t');
        std::getline(fields, channel, '\t');
        std::getline(fields, entry, '\t');
        received.push_back(entry);
    }
    return received;
}

int Count(const std::vector<std::string>& entries, const std::string& entry) {
    int count = 0;
    for (const std::string& e : entries) count += e == entry;
    return count;
}

// Every test starts without the program's own files beside it and leaves
// none behind, also when an assertion stops it early.
class MainWindowOverUsbLinks : public ::testing::Test {
protected:
    void SetUp() override { testsupport::RemoveProgramIniFiles(); }
    void TearDown() override { testsupport::RemoveProgramIniFiles(); }
};

// The window as the operator sees it while the final box is up.
struct Seen {
    bool gsmWindow = false, statusWindow = false, getEnabled = true;
    std::wstring statusCaption, statusText;
    int modemOn = 0;
};

void Look(void* arg) {
    auto* pair = static_cast<std::pair<TForms*, Seen*>*>(arg);
    TForms& forms = *pair->first;
    forms.FormMain.TimerTimer();  // as the next tick would
    Seen& seen = *pair->second;
    seen.gsmWindow = forms.FormGSM.Visible();
    seen.statusWindow = forms.FormStat.Visible();
    seen.statusCaption = forms.FormStat.Text();
    seen.statusText = forms.FormStat.LabelStat.Caption();
    seen.getEnabled = forms.FormMain.SpeedButtonGet.Enabled();
    seen.modemOn = board::GSM.ModemOn;
}

TEST_F(MainWindowOverUsbLinks, ReadsThroughTheGsmModemAndTheRadio) {
    const std::string modemPort = Env("BOARDSIM_MODEM_PORT"), radioPort = Env("BOARDSIM_RADIO_PORT");
    ASSERT_FALSE(modemPort.empty()) << "run through usb_links_with_simulators.py";
    {
        std::ofstream common(BinPath("Common.ini"), std::ios::binary);
        common << "[COMMON]\r\nInterface=3\r\nInterfaces[3]=GSM\r\nInterfaces[4]=RF\r\nControllerSetting=1\r\n"
                  "[TIME]\r\nRefresh=1\r\n";
        std::ofstream zorvel(BinPath("Zorvel.ini"), std::ios::binary);
        zorvel << "[ZVL]\r\nMode=1\r\nInterval=5\r\nRepeatsC=3\r\n";
        std::ofstream slaves(BinPath("CSD_Numbers.ini"), std::ios::binary);
        slaves << "[SLAVES]\r\nCount=1\r\nIndex=0\r\nN0=+71234567890\r\nC0=\xF2\xE0\xE1\xEB\xEE\r\n";
    }
    std::snprintf(board::FTD.DeviceName, sizeof board::FTD.DeviceName, "DEV0");
    SetEnvironmentVariableA("FTD2XX_DOUBLE_DEVICES", "1");
    SetEnvironmentVariableA("FTD2XX_DOUBLE_CONNECT", ("tcp:127.0.0.1:" + modemPort).c_str());
    uitest::BoxRecorder boxes;
    TForms forms;
    TFormMain& FormMain = forms.FormMain;
    FormMain.Show(true);
    uitest::FlushEvents(100);
    ASSERT_EQ(3, board::Interface);
    EXPECT_STREQ("+71234567890", board::GSM.CSD_Number);

    // Interface 3: the modem calls the slave modem; the board answers through the call.
    Seen seen;
    std::pair<TForms*, Seen*> look{&forms, &seen};
    boxes.DuringBox = Look;
    boxes.DuringBoxArg = &look;
    uitest::ExchangeOnTheComputersClock(boxes, [&] { FormMain.SpeedButtonGetClick(); });
    ASSERT_EQ(1u, boxes.Boxes.size()) << (boxes.Boxes.empty() ? "" : boxes.Boxes.back().Text);
    EXPECT_EQ(testsupport::BoxModule::Program, boxes.Boxes[0].Module);
    EXPECT_EQ("Настройки успешно прочитаны", boxes.Boxes[0].Text);
    EXPECT_EQ(1, seen.modemOn);
    EXPECT_TRUE(seen.gsmWindow);
    EXPECT_TRUE(seen.statusWindow);
    EXPECT_EQ(L"GSM", seen.statusCaption);
    EXPECT_EQ(L"Соединение установлено", seen.statusText);
    EXPECT_FALSE(seen.getEnabled);
    EXPECT_EQ(3, FormMain.BoardSettings.Mode);
    // Then the call was left, the modem switched off and the adapter closed.
    EXPECT_EQ(0, board::GSM.ModemOn);
    EXPECT_EQ(nullptr, board::FTD.hDevice);
    FormMain.TimerTimer();
    EXPECT_FALSE(forms.FormGSM.Visible());
    EXPECT_FALSE(forms.FormStat.Visible());
    const std::vector<std::string> modem = Received(Env("BOARDSIM_MODEM_LOG"));
    EXPECT_EQ(1, Count(modem, "ATD+71234567890"));
    EXPECT_EQ(1, Count(modem, "read status"));
    EXPECT_EQ(1, Count(modem, "+++"));
    EXPECT_EQ(1, Count(modem, "AT+CFUN=0"));

    // Interface 4: the radio on channel 5, where every second answer is lost.
    board::Interface = 4;
    board::RFM.Freq = 430000 + 4 * 200;
    SetEnvironmentVariableA("FTD2XX_DOUBLE_CONNECT", ("tcp:127.0.0.1:" + radioPort).c_str());
    SetEnvironmentVariableA("FTD2XX_DOUBLE_PINS_FILE", Env("BOARDSIM_RADIO_PINS").c_str());
    cFTD::ScanDevicesCount();
    FormMain.TimerTimer();
    ASSERT_TRUE(FormMain.SpeedButtonGet.Enabled());
    boxes.Boxes.clear();
    boxes.DuringBox = nullptr;
    uitest::ExchangeOnTheComputersClock(boxes, [&] { FormMain.SpeedButtonGetClick(); });
    ASSERT_EQ(1u, boxes.Boxes.size()) << (boxes.Boxes.empty() ? "" : boxes.Boxes.back().Text);
    EXPECT_EQ(testsupport::BoxModule::Program, boxes.Boxes[0].Module);
    EXPECT_EQ("Настройки успешно прочитаны", boxes.Boxes[0].Text);
    const std::vector<std::string> radio = Received(Env("BOARDSIM_RADIO_LOG"));
    ASSERT_FALSE(radio.empty());
    EXPECT_EQ(0u, radio[0].rfind("(config) A5 5A 01 08 06 92 D0", 0)) << radio[0];
    EXPECT_EQ(2, Count(radio, "read status")) << "the lost answer was asked again";
    EXPECT_EQ(nullptr, board::FTD.hDevice);

    SendMessageW(FormMain, WM_CLOSE, 0, 0);
    board::RFM.Freq = 430000 + 26 * 200;
}

HWND g_closing = nullptr;
void CALLBACK CloseTheWindow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostMessageW(g_closing, WM_CLOSE, 0, 0);
}
// The modem gives a call 70 s before it stops ringing; a close that only
// took effect then would trip this first.
bool g_watchdogFired = false;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
    g_watchdogFired = true;
    PostQuitMessage(99);
}

// The slave modem never answers the call (10 minutes of ringing): closing the
// window while the call is being set up ends it, and the program with it.
TEST_F(MainWindowOverUsbLinks, ClosingWhileTheGsmCallIsSetUpEndsTheProgram) {
    const std::string slowPort = Env("BOARDSIM_SLOW_MODEM_PORT");
    ASSERT_FALSE(slowPort.empty()) << "run through usb_links_with_simulators.py";
    {
        std::ofstream common(BinPath("Common.ini"), std::ios::binary);
        common << "[COMMON]\r\nInterface=3\r\nControllerSetting=1\r\n";
        std::ofstream slaves(BinPath("CSD_Numbers.ini"), std::ios::binary);
        slaves << "[SLAVES]\r\nCount=1\r\nIndex=0\r\nN0=+71234567890\r\n";
    }
    std::snprintf(board::FTD.DeviceName, sizeof board::FTD.DeviceName, "DEV0");
    SetEnvironmentVariableA("FTD2XX_DOUBLE_DEVICES", "1");
    SetEnvironmentVariableA("FTD2XX_DOUBLE_CONNECT", ("tcp:127.0.0.1:" + slowPort).c_str());
    uitest::BoxRecorder boxes;
    int exitCode = -1;
    {
        TForms forms;
        TFormMain& FormMain = forms.FormMain;
        FormMain.Show(true);
        uitest::FlushEvents(100);
        ASSERT_EQ(3, board::Interface);
        g_closing = FormMain;
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 30000, Watchdog);
        SetTimer(nullptr, 0, 1500, CloseTheWindow);  // the modem is dialling by then
        FormMain.SpeedButtonGetClick();
        EXPECT_FALSE(g_watchdogFired) << "the call set-up ran on after the close";
        EXPECT_TRUE(boxes.Boxes.empty());
        EXPECT_EQ(0, board::GSM.ModemOn);
        EXPECT_EQ(nullptr, board::FTD.hDevice);
        exitCode = widgets::RunMessageLoop();
        KillTimer(nullptr, watchdog);
        EXPECT_FALSE(IsWindow(FormMain));
    }
    EXPECT_EQ(0, exitCode) << "ended by the window, not by the watchdog";
}

// Waits, ticking the main window's timer as its 100 ms timer would, until
// `done` holds or `ms` have passed.
template <class Done>
bool TickUntil(TFormMain& main, Done done, DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
        main.TimerTimer();
        if (done()) return true;
        uitest::FlushEvents(100);
    }
    return done();
}

// What the timer last made of the modem's state: the balance request, the
// SMS deletion and the restart all offered. (The modem's own thread moves its
// flags on between a tick and a look at them, so the buttons are what counts.)
bool ModemButtonsEnabled(const TFormSett& sett) {
    return sett.SpeedButtonSIM_Balance.Enabled() && sett.SpeedButtonSIM_Clear.Enabled() &&
           sett.SpeedButtonGSM_PowerOff.Enabled();
}

// A read whose call fails leaves the modem off with the reason on show. OK in
// the settings dialog, the modem kept, brings it up again, so the balance
// request and the other modem actions are there for the operator.
TEST_F(MainWindowOverUsbLinks, OkAfterAFailedCallBringsTheModemUpAgain) {
    const std::string busyPort = Env("BOARDSIM_BUSY_MODEM_PORT");
    ASSERT_FALSE(busyPort.empty()) << "run through usb_links_with_simulators.py";
    {
        std::ofstream common(BinPath("Common.ini"), std::ios::binary);
        common << "[COMMON]\r\nInterface=3\r\nInterfaces[3]=GSM\r\nControllerSetting=1\r\n";
        std::ofstream slaves(BinPath("CSD_Numbers.ini"), std::ios::binary);
        slaves << "[SLAVES]\r\nCount=1\r\nIndex=0\r\nN0=+71234567890\r\n";
    }
    std::snprintf(board::FTD.DeviceName, sizeof board::FTD.DeviceName, "DEV0");
    SetEnvironmentVariableA("FTD2XX_DOUBLE_DEVICES", "1");
    SetEnvironmentVariableA("FTD2XX_DOUBLE_CONNECT", ("tcp:127.0.0.1:" + busyPort).c_str());
    SetEnvironmentVariableA("FTD2XX_DOUBLE_PINS_FILE", "");
    uitest::BoxRecorder boxes;
    TForms forms;
    TFormMain& FormMain = forms.FormMain;
    TFormSett& sett = forms.FormSett;
    FormMain.Show(true);
    uitest::FlushEvents(100);
    ASSERT_EQ(3, board::Interface);
    sett.ComboBoxInterface.Clear();
    for (const wchar_t* name : {L"COM", L"USB", L"TCP", L"GSM", L"RF"}) sett.AddInterfaceName(name);

    FormMain.SpeedButtonGetClick();
    const std::vector<uitest::RecordedBox> failed = boxes.Snapshot();
    ASSERT_FALSE(failed.empty());
    EXPECT_EQ(testsupport::BoxModule::GSM, failed[0].Module);
    EXPECT_EQ("Линия ведомого модема занята", failed[0].Text);
    EXPECT_EQ(0, board::GSM.ModemOn);
    EXPECT_STREQ("Линия ведомого модема занята", board::GSM.StatusText[board::GSM.StatusIdx]);
    FormMain.TimerTimer();
    EXPECT_FALSE(sett.SpeedButtonSIM_Balance.Enabled());

    sett.FormShow();
    ASSERT_EQ(3, sett.ComboBoxInterface.Index());
    sett.BitBtnOKClick();
    EXPECT_EQ(1, board::GSM.ModemOn);
    EXPECT_TRUE(TickUntil(FormMain, [&] { return ModemButtonsEnabled(sett); }, 30000))
        << board::GSM.StatusText[board::GSM.StatusIdx];

    sett.FormShow();
    sett.ComboBoxInterface.SetIndex(0);
    sett.BitBtnOKClick();
    EXPECT_EQ(0, board::GSM.ModemOn);
    SendMessageW(FormMain, WM_CLOSE, 0, 0);
}

// The settings dialog's modem actions: OK switches to the modem and opens it,
// the timer enables the buttons from its state, the balance answer is shown
// by the component, SMS are deleted only after Yes, the restart goes to the
// modem, and OK back to the serial port switches it off.
TEST_F(MainWindowOverUsbLinks, ModemActionsOfTheSettingsDialog) {
    const std::string modemPort = Env("BOARDSIM_MODEM_PORT");
    ASSERT_FALSE(modemPort.empty()) << "run through usb_links_with_simulators.py";
    {
        std::ofstream common(BinPath("Common.ini"), std::ios::binary);
        common << "[COMMON]\r\nInterface=0\r\nInterfaces[0]=COM\r\nInterfaces[3]=GSM\r\nControllerSetting=1\r\n";
    }
    SetEnvironmentVariableA("FTD2XX_DOUBLE_DEVICES", "1");
    SetEnvironmentVariableA("FTD2XX_DOUBLE_CONNECT", ("tcp:127.0.0.1:" + modemPort).c_str());
    SetEnvironmentVariableA("FTD2XX_DOUBLE_PINS_FILE", "");
    uitest::BoxRecorder boxes;
    TForms forms;
    TFormMain& FormMain = forms.FormMain;
    TFormSett& sett = forms.FormSett;
    FormMain.Show(true);
    uitest::FlushEvents(100);
    // A build that offers every interface.
    sett.ComboBoxInterface.Clear();
    for (const wchar_t* name : {L"COM", L"USB", L"TCP", L"GSM", L"RF"}) sett.AddInterfaceName(name);
    const std::size_t before = Received(Env("BOARDSIM_MODEM_LOG")).size();

    sett.FormShow();
    sett.ComboBoxInterface.SetIndex(3);
    sett.BitBtnOKClick();
    ASSERT_EQ(3, board::Interface);
    ASSERT_TRUE(TickUntil(FormMain, [&] { return ModemButtonsEnabled(sett); }, 30000))
        << (boxes.Boxes.empty() ? "" : boxes.Boxes.back().Text);

    sett.FormShow();
    EXPECT_NE(nullptr, board::FTD.hDevice) << "the device list leaves the modem's adapter open";
    sett.EditSIM_Balance.SetText(L"*100#");
    boxes.Clear();
    sett.SpeedButtonSIM_BalanceClick();
    const std::vector<uitest::RecordedBox> balance = boxes.Snapshot();
    ASSERT_EQ(1u, balance.size());
    EXPECT_EQ(testsupport::BoxModule::GSM, balance[0].Module);
    EXPECT_NE(std::string::npos, balance[0].Text.find("123.45")) << balance[0].Text;

    boxes.Answer = compat::kAnswerNo;
    sett.SpeedButtonSIM_ClearClick();
    auto deletes = [&] {
        std::vector<std::string> modem = Received(Env("BOARDSIM_MODEM_LOG"));
        int n = 0;
        for (std::size_t i = before; i < modem.size(); ++i) n += modem[i].rfind("AT+CMGD", 0) == 0;
        return n;
    };
    EXPECT_EQ(0, deletes());
    boxes.Answer = compat::kAnswerYes;
    sett.SpeedButtonSIM_ClearClick();
    EXPECT_GT(deletes(), 0);

    sett.SpeedButtonGSM_PowerOffClick();
    TickUntil(FormMain, [] { return false; }, 300);

    // Back to the serial port: the modem is switched off and the restart button disabled.
    sett.FormShow();
    sett.ComboBoxInterface.SetIndex(0);
    sett.BitBtnOKClick();
    EXPECT_EQ(0, board::Interface);
    EXPECT_EQ(0, board::GSM.ModemOn);
    FormMain.TimerTimer();
    EXPECT_FALSE(sett.SpeedButtonGSM_PowerOff.Enabled());
    const std::vector<std::string> modem = Received(Env("BOARDSIM_MODEM_LOG"));
    int switchedOff = 0;
    for (std::size_t i = before; i < modem.size(); ++i) switchedOff += modem[i] == "AT+CFUN=0";
    EXPECT_GE(switchedOff, 1);

    SendMessageW(FormMain, WM_CLOSE, 0, 0);
}

}  // namespace
