// Run by settings_folder.sh from folders of different names: "save" sets
// values in the five transports and the program's held settings and saves
// them (the transports write theirs when destroyed at exit); "load" prints
// what the next start loads. The script compares the files and the output.
#include <cstdio>
#include <cstring>
#include <string>

#include "compat/platform.h"
#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"
#include "zorvel/board/link.h"
#include "zorvel/config/settings.h"

#include <windows.h>

namespace {

// Windows-1251 text, as the files hold it: "Канал 1", "Тест".
const char kComment[] = "\xCA\xE0\xED\xE0\xEB 1";
const char kBalance[] = "*100#";

int Save() {
    std::strcpy(board::COM.PortName, "COM7");
    board::COM.BaudRate = 19200;
    std::strcpy(board::FTD.DeviceName, "DEV1");
    std::strcpy(board::TCP.IPv4, "10.0.0.5");
    board::TCP.Port = 5000;
    std::strcpy(board::GSM.BalanceRequest, kBalance);
    std::strcpy(board::GSM.CSD_Number, "+79001234567");
    board::RFM.Freq = 430000 + 3 * 200;

    static config::Settings settings;
    settings.Load();
    settings.Interface = 2;
    settings.Board.Mode = 3;
    settings.Board.Interval = 42;
    settings.FreqComment[0] = kComment;
    settings.Count = 1;
    std::strcpy(settings.Slaves[0].Number, "+79001234567");
    settings.Slaves[0].Comment = "\xD2\xE5\xF1\xF2";
    return settings.Save() ? 0 : 1;
}

int Load() {
    static config::Settings settings;
    settings.Load();
    std::printf("COM %s %u\n", board::COM.PortName, static_cast<unsigned>(board::COM.BaudRate));
    std::printf("FTD %s\n", board::FTD.DeviceName);
    std::printf("TCP %s %u\n", board::TCP.IPv4, static_cast<unsigned>(board::TCP.Port));
    std::printf("GSM %s %s\n", board::GSM.BalanceRequest, board::GSM.CSD_Number);
    std::printf("RFM %d\n", static_cast<int>(board::RFM.Freq));
    std::printf("Common %d Zorvel %d %u\n", settings.Interface, settings.Board.Mode, settings.Board.Interval);
    std::printf("Channel1 %s Slave0 %s %s\n", settings.FreqComment[0].c_str(), settings.Slaves[0].Number,
                settings.Slaves[0].Comment.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The transports report nothing here; a box would hang the run.
    compat::SetMessageBoxHandler([](void*, const char*, const char*, unsigned) -> int { return compat::kAnswerOk; });
    std::printf("acp %u\n", GetACP());
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "save") return Save();
    if (mode == "load") return Load();
    std::fprintf(stderr, "usage: settings_folder_probe save|load\n");
    return 2;
}
