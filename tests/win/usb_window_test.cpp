// The main window on interface 1 (the USB adapter) under Wine: first without
// the driver library (the program starts, the exchange buttons stay disabled
// and an exchange says the driver is missing), then with the D2XX double put on
// the search path while the program runs, connected to boardsim: device
// notifications to the main window enable and disable the buttons, and a read
// through the button fills the window. Run by usb_with_boardsim.py, which names
// boardsim's port; ZORVEL_FTD2XX_DOUBLE_DIR names the double's folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "transports/FTD.h"
#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/board/link.h"

namespace {

using testsupport::BinPath;
using testsupport::BoxModule;
constexpr auto Env = testsupport::GetEnv;

void DeviceChange(HWND window, WPARAM event, const char* devices) {
    SetEnvironmentVariableA("FTD2XX_DOUBLE_DEVICES", devices);
    DEV_BROADCAST_DEVICEINTERFACE_W broadcast{};
    broadcast.dbcc_size = sizeof broadcast;
    broadcast.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&broadcast));
}

TEST(MainWindowOverUsb, WithoutThenWithTheDriver) {
    const std::string port = Env("BOARDSIM_TCP_PORT");
    const std::string doubleDir = Env("ZORVEL_FTD2XX_DOUBLE_DIR");
    ASSERT_FALSE(port.empty()) << "run through usb_with_boardsim.py";
    ASSERT_FALSE(doubleDir.empty());
    {
        std::ofstream common(BinPath("Common.ini"), std::ios::binary);
        common << "[COMMON]\r\nInterface=1\r\nInterfaces[1]=USB\r\nControllerSetting=1\r\n[TIME]\r\nRefresh=1\r\n";
        std::ofstream zorvel(BinPath("Zorvel.ini"), std::ios::binary);
        zorvel << "[ZVL]\r\nMode=1\r\nInterval=5\r\n";
    }
    std::snprintf(board::FTD.DeviceName, sizeof board::FTD.DeviceName, "DEV0");
    SetEnvironmentVariableA("FTD2XX_DOUBLE_CONNECT", ("tcp:127.0.0.1:" + port).c_str());
    SetEnvironmentVariableA("FTD2XX_DOUBLE_DEVICES", "1");
    uitest::BoxRecorder boxes;
    TForms forms;
    TFormMain& FormMain = forms.FormMain;
    FormMain.Show(true);
    uitest::FlushEvents(100);
    ASSERT_EQ(1, board::Interface);

    // No driver: no devices, so the timer keeps the exchange buttons disabled.
    FormMain.TimerTimer();
    EXPECT_EQ(0, cFTD::DevicesCount.load());
    EXPECT_FALSE(FormMain.SpeedButtonGet.Enabled());
    EXPECT_FALSE(FormMain.SpeedButtonSet.Enabled());
    // An exchange started anyway: the component says why, the program nothing.
    FormMain.SpeedButtonGetClick();
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ(BoxModule::FTD, boxes.Boxes[0].Module);
    EXPECT_EQ("Драйвер USB не установлен: не найдена библиотека ftd2xx.dll", boxes.Boxes[0].Text);
    EXPECT_EQ("Ошибка", boxes.Boxes[0].Caption);
    EXPECT_EQ(static_cast<HWND>(FormMain), boxes.Boxes[0].Owner);

    // The driver arrives (as an installation would put it on the search path);
    // the next device notification finds the adapter.
    SetEnvironmentVariableA("PATH", (doubleDir + ";" + Env("PATH")).c_str());
    DeviceChange(FormMain, DBT_DEVICEARRIVAL, "1");
    EXPECT_EQ(1, cFTD::DevicesCount.load());
    FormMain.TimerTimer();
    EXPECT_TRUE(FormMain.SpeedButtonGet.Enabled());
    EXPECT_TRUE(FormMain.SpeedButtonSet.Enabled());

    DeviceChange(FormMain, DBT_DEVICEREMOVECOMPLETE, "0");
    FormMain.TimerTimer();
    EXPECT_FALSE(FormMain.SpeedButtonGet.Enabled());
    DeviceChange(FormMain, DBT_DEVICEARRIVAL, "1");
    FormMain.TimerTimer();
    ASSERT_TRUE(FormMain.SpeedButtonGet.Enabled());

    // The read through the button: the simulator holds mode 3 and interval 10.
    boxes.Boxes.clear();
    uitest::ExchangeOnTheComputersClock(boxes, [&] { FormMain.SpeedButtonGetClick(); });
    ASSERT_EQ(1u, boxes.Boxes.size()) << (boxes.Boxes.empty() ? "" : boxes.Boxes.back().Text);
    EXPECT_EQ(BoxModule::Program, boxes.Boxes[0].Module);
    EXPECT_EQ("Настройки успешно прочитаны", boxes.Boxes[0].Text);
    EXPECT_EQ(3, FormMain.BoardSettings.Mode);
    EXPECT_EQ(2, FormMain.ComboBoxMode.Index());
    EXPECT_EQ(L"10", FormMain.EditInterval.Text());
    EXPECT_EQ(nullptr, board::FTD.hDevice) << "closed after the exchange";
    FormMain.TimerTimer();
    EXPECT_TRUE(FormMain.SpeedButtonGet.Enabled());

    SendMessageW(FormMain, WM_CLOSE, 0, 0);
    testsupport::RemoveProgramIniFiles();
}

}  // namespace
