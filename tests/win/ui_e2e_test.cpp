// The main window against the board simulator on a COM port that Wine maps
// to the simulator's pseudo-terminal (ui_e2e.sh sets this up): a whole read
// and a whole write through the two buttons.
#include <gtest/gtest.h>

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

    // The read: the simulator holds mode 3 and interval 10. The window compares
    // minutes as fields, so a read that straddles a minute boundary rightly
    // warns; start it well inside a minute.
    for (SYSTEMTIME clock{}; GetLocalTime(&clock), clock.wSecond >= 55;) Sleep(250);
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
    EXPECT_EQ(L"Установить", FormMain.SpeedButtonSet.Text());
    EXPECT_TRUE(FormMain.SpeedButtonSet.Enabled());

    SendMessageW(FormMain, WM_CLOSE, 0, 0);
    testsupport::RemoveProgramIniFiles();
}

}  // namespace
