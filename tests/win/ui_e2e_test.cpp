// The main window against the board simulator on a COM port that Wine maps
// to the simulator's pseudo-terminal (ui_e2e.sh sets this up): a whole read
// and a whole write through the two buttons, with a schedule changed in the
// time and brightness dialog on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/board/link.h"
#include "zorvel/board/protocol.h"
#include "zorvel/widgets/text.h"

namespace {

using testsupport::BinPath;

// A number of the simulator's state file ("mode": 2).
int StateNumber(const std::string& key) {
    const char* path = std::getenv("ZORVEL_BOARD_STATE");
    if (!path) return -1;
    std::ifstream in(std::string("Z:") + path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::smatch m;
    std::string text = s.str();
    if (!std::regex_search(text, m, std::regex("\"" + key + "\"\\s*:\\s*(-?[0-9]+)"))) return -1;
    return std::atoi(m[1].str().c_str());
}

TEST(WindowAgainstBoardsim, ReadThenWriteThroughTheButtons) {
    if (std::getenv("ZORVEL_OPERATOR_PATH")) GTEST_SKIP() << "the settings path runs alone";
    // ZORVEL_COM_PORT: the mapped serial port; ZORVEL_TCP_PORT instead: the simulator's TCP port.
    const char* port = std::getenv("ZORVEL_COM_PORT");
    const char* tcpPort = std::getenv("ZORVEL_TCP_PORT");
    ASSERT_TRUE(port || tcpPort) << "run through ui_e2e.sh";
    {
        std::ofstream common(BinPath("Common.ini"), std::ios::binary);
        common << "[COMMON]\r\nInterface=" << (tcpPort ? 2 : 0)
               << "\r\nInterfaces[0]=COM\r\nControllerSetting=1\r\n[TIME]\r\nRefresh=1\r\n";
        std::ofstream zorvel(BinPath("Zorvel.ini"), std::ios::binary);
        zorvel << "[ZVL]\r\nMode=1\r\nInterval=5\r\n";
    }
    if (tcpPort) {
        std::snprintf(board::TCP.IPv4, sizeof board::TCP.IPv4, "%s", "127.0.0.1");
        board::TCP.Port = static_cast<std::uint16_t>(std::atoi(tcpPort));
    } else {
        std::snprintf(board::COM.PortName, sizeof board::COM.PortName, "%s", port);
        board::COM.BaudRate = 9600;
    }

    uitest::BoxRecorder boxes;
    TForms forms;
    TFormMain& FormMain = forms.FormMain;
    FormMain.Show(true);
    uitest::FlushEvents(100);

    // The read: the simulator holds mode 3 and interval 10.
    DWORD start = GetTickCount();
    uitest::ExchangeOnTheComputersClock(boxes, [&] { FormMain.SpeedButtonGetClick(); });
    DWORD readMs = GetTickCount() - start;
    std::printf("read through the window: %lu ms\n", static_cast<unsigned long>(readMs));
    ASSERT_FALSE(boxes.Boxes.empty());
    EXPECT_EQ("Настройки успешно прочитаны", boxes.Boxes.back().Text);
    EXPECT_EQ(1u, boxes.Boxes.size()) << "no clock warning: the simulator runs on this computer's clock";
    EXPECT_EQ(2, FormMain.ComboBoxMode.Index());
    EXPECT_EQ(3, FormMain.BoardSettings.Mode);
    EXPECT_EQ(L"10", FormMain.EditInterval.Text());
    EXPECT_TRUE(FormMain.EditInterval.Enabled());
    SYSTEMTIME now{}, date = FormMain.DateTimePickerDC.Value();
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, date.wYear);
    EXPECT_EQ(now.wMonth, date.wMonth);
    EXPECT_EQ(now.wDay, date.wDay);
    EXPECT_GE(readMs, 2000u) << "the window waits the board's full 2 s for the status reply";

    // The schedule: from the toolbar, the evening's start dragged an hour
    // earlier (the night's moves along), the morning's brightness slid to 42, OK.
    const board::BoardSettings before = FormMain.BoardSettings;
    TFormTime& time = forms.FormTime;
    {
        uitest::WhileModal during(time, [&] {
            uitest::DragSideways(time.SplitterE, -30);
            time.PanelM.Send(WM_LBUTTONUP, 0, MAKELPARAM(60, 10));
            time.TrackBarBright.Focus();
            time.TrackBarBright.SetPosition(42);
            SendMessageW(GetParent(time.TrackBarBright), WM_HSCROLL, TB_THUMBPOSITION,
                         reinterpret_cast<LPARAM>(time.TrackBarBright.hwnd));
            time.BitBtnOK.Click();
        });
        FormMain.ToolBarMain.Click(TFormMain::tbTime);
        ASSERT_TRUE(during.Ran());
    }
    const board::BoardSettings& after = FormMain.BoardSettings;
    EXPECT_EQ(before.HourE - 1, after.HourE);
    EXPECT_EQ(before.HourN - 1, after.HourN);
    EXPECT_EQ(before.HourA, after.HourA);
    EXPECT_EQ(42, after.BrightM);
    EXPECT_EQ(before.BrightN, after.BrightN);

    // The write: mode 2, interval 42.
    boxes.Boxes.clear();
    FormMain.ComboBoxMode.SetIndex(1);
    FormMain.ComboBoxModeChange();
    FormMain.EditInterval.SetText(L"42");
    uitest::ExchangeOnTheComputersClock(boxes, [&] { FormMain.SpeedButtonSetClick(); });
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("Устройство подтверждает смену настроек", boxes.Boxes[0].Text);
    EXPECT_EQ("Информация", boxes.Boxes[0].Caption);
    EXPECT_EQ(2, StateNumber("mode"));
    EXPECT_EQ(42, StateNumber("interval"));
    // The board's log has the new schedule as it was sent.
    if (const char* log = std::getenv("ZORVEL_BOARD_LOG")) {
        std::ifstream in(std::string("Z:") + log, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        auto sent = [](std::string command) { return command.substr(0, command.size() - 1); };  // without the \r
        const std::string timeEx = sent(board::BuildWriteTimeEx(after.HourM, after.HourA, after.HourE, after.HourN));
        const std::string brightness =
            sent(board::BuildWriteBrightness(after.BrightM, after.BrightA, after.BrightE, after.BrightN));
        EXPECT_NE(std::string::npos, s.str().find(timeEx)) << timeEx << " in\n" << s.str();
        EXPECT_NE(std::string::npos, s.str().find(brightness)) << brightness << " in\n" << s.str();
        std::printf("the board got: %s, %s\n", timeEx.c_str(), brightness.c_str());
    } else {
        ADD_FAILURE() << "run through ui_e2e.sh";
    }
    EXPECT_EQ(L"Установить", FormMain.SpeedButtonSet.Text());
    EXPECT_TRUE(FormMain.SpeedButtonSet.Enabled());

    SendMessageW(FormMain, WM_CLOSE, 0, 0);
    testsupport::RemoveProgramIniFiles();
}

// The operator's path: COM.ini (written by ui_e2e.sh) names a port that does
// not exist; the operator opens the settings from the toolbar, picks the
// simulator's port from the scanned list, OK, reads the board, closes. The
// script then finds the chosen port in COM.ini.
struct OperatorPath {
    TForms* forms = nullptr;
    std::wstring port;
    bool pickedAndConfirmed = false;
    std::vector<std::wstring> listed;
};
OperatorPath* g_path = nullptr;

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR, DWORD) {
    TFormSett& sett = g_path->forms->FormSett;
    if (g_path->pickedAndConfirmed || !sett.Visible()) return;
    for (int i = 0; i < sett.ComboBoxCOM_Number.Count(); ++i) g_path->listed.push_back(sett.ComboBoxCOM_Number.ItemText(i));
    sett.ComboBoxCOM_Number.SelectText(g_path->port);
    g_path->pickedAndConfirmed = true;
    sett.BitBtnOK.Click();
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
    if (g_path->forms->FormSett.Visible()) g_path->forms->FormSett.ModalResult = widgets::mrCancel;
}

TEST(WindowAgainstBoardsim, OperatorChoosesThePortInTheSettings) {
    const char* port = std::getenv("ZORVEL_COM_PORT");
    if (!std::getenv("ZORVEL_OPERATOR_PATH") || !port) GTEST_SKIP() << "run through ui_e2e.sh settings";
    EXPECT_STREQ("COM99", board::COM.PortName) << "COM.ini names a port that does not exist";
    {
        std::ofstream common(BinPath("Common.ini"), std::ios::binary);
        common << "[COMMON]\r\nInterface=0\r\nInterfaces[0]=COM\r\nControllerSetting=1\r\n[TIME]\r\nRefresh=1\r\n";
    }
    uitest::BoxRecorder boxes;
    TForms forms;
    TFormMain& FormMain = forms.FormMain;
    FormMain.Show(true);
    uitest::FlushEvents(100);

    // How long the dialog takes to fill itself, the scan of PortsMax ports included.
    board::COM.PortsMax = 32;
    board::COM.AutoScan = true;
    std::vector<double> showMs;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        forms.FormSett.FormShow();
        showMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(showMs.begin(), showMs.end());
    std::printf("settings dialog show with PortsMax 32: min %.1f ms, median %.1f ms, max %.1f ms\n", showMs.front(),
                showMs[2], showMs.back());

    OperatorPath path;
    path.forms = &forms;
    path.port = widgets::Widen(port);
    g_path = &path;
    const UINT_PTR drive = SetTimer(nullptr, 0, 50, DriveDialog);
    const UINT_PTR giveUp = SetTimer(nullptr, 0, 15000, GiveUp);
    // The toolbar button's click, as its parent receives it.
    SendMessageW(GetParent(FormMain.ToolBarMain), WM_COMMAND, MAKEWPARAM(TFormMain::tbSett, BN_CLICKED),
                 reinterpret_cast<LPARAM>(FormMain.ToolBarMain.hwnd));
    KillTimer(nullptr, drive);
    KillTimer(nullptr, giveUp);
    g_path = nullptr;
    ASSERT_TRUE(path.pickedAndConfirmed) << "the dialog did not show";
    EXPECT_NE(path.listed.end(), std::find(path.listed.begin(), path.listed.end(), path.port))
        << "the scan lists the simulator's port";
    EXPECT_EQ(path.listed.end(), std::find(path.listed.begin(), path.listed.end(), L"COM99"));
    EXPECT_STREQ(port, board::COM.PortName);

    FormMain.SpeedButtonGetClick();
    ASSERT_FALSE(boxes.Boxes.empty());
    EXPECT_EQ("Настройки успешно прочитаны", boxes.Boxes.back().Text);

    SendMessageW(FormMain, WM_CLOSE, 0, 0);
    for (const char* name : {"Common.ini", "Zorvel.ini", "CSD_Numbers.ini", "RFM.ini"}) std::remove(BinPath(name).c_str());
}

}  // namespace
