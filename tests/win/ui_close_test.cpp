// Closing the main window while an exchange runs, over the real transports
// under Wine: the exchange ends early, nothing is shown, the settings are
// saved once and the message loop ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "ravlo/ravlo.h"
#include "ui_support.h"
#include "ravlo_loopback.h"
#include "zorvel/Forms.h"
#include "zorvel/board/link.h"

namespace {

std::string BinPath(const char* name) { return compat::JoinPath(compat::ExecutableDir(), name); }

std::string ReadFile(const char* name) {
    std::ifstream in(BinPath(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const char* name, const std::string& bytes) {
    std::ofstream out(BinPath(name), std::ios::binary);
    out << bytes;
}

// Ends a stuck test instead of letting it hang: the loops see WM_QUIT 99.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); }

// A connect that never completes (the listener's backlog is full), with no
// time-out of its own: only the close can end it.
TEST(ClosingDuringAnExchange, ATcpConnectEndsTheSettingsAreSavedOnceAndTheLoopEnds) {
    for (const char* name : {"Common.ini", "Zorvel.ini", "CSD_Numbers.ini", "RFM.ini"}) std::remove(BinPath(name).c_str());
    WriteFile("Common.ini", "[COMMON]\r\nControllerSetting=1\r\nInterface=2\r\n");
    WriteFile("Zorvel.ini", "[ZVL]\r\nMode=3\r\nInterval=10\r\n");
    loopback::Listener stalled(true, 0);
    ASSERT_TRUE(stalled.Stall());
    const unsigned previousTimeout = RavloSetConnectTimeout(10u * 60u * 1000u);
    uitest::BoxRecorder boxes;

    int exitCode = -1;
    {
        TForms forms;
        TFormMain& m = forms.FormMain;
        m.Show(true);
        uitest::FlushEvents(50);
        ASSERT_EQ(2, board::Interface.load());
        std::snprintf(board::TCP.IPv4, sizeof board::TCP.IPv4, "127.0.0.1");
        board::TCP.Port = stalled.Port();

        const UINT_PTR watchdog = SetTimer(nullptr, 0, 60000, Watchdog);
        PostMessageW(m, WM_CLOSE, 0, 0);  // handled while the connect waits, inside the click
        m.SpeedButtonGetClick();
        EXPECT_FALSE(board::Busy);
        EXPECT_EQ(0u, static_cast<unsigned>(board::TCP.Socket));
        EXPECT_TRUE(IsWindow(m)) << "the window closes on the way out, not under the exchange";
        EXPECT_TRUE(boxes.Boxes.empty());

        exitCode = widgets::RunMessageLoop();
        KillTimer(nullptr, watchdog);
        EXPECT_FALSE(IsWindow(m));
        std::string common = ReadFile("Common.ini");
        EXPECT_NE(std::string::npos, common.find("Interface=2")) << common;
        EXPECT_NE(std::string::npos, ReadFile("Zorvel.ini").find("Interval=10"));
        EXPECT_TRUE(boxes.Boxes.empty());
    }
    EXPECT_EQ(0, exitCode) << "ended by the window, not by the watchdog";
    RavloSetNotifier(nullptr);
    RavloSetConnectTimeout(previousTimeout);
    for (const char* name : {"Common.ini", "Zorvel.ini", "CSD_Numbers.ini", "RFM.ini"}) std::remove(BinPath(name).c_str());
}

}  // namespace
