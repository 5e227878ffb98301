// The program's own settings, held by the main window for the whole run under
// the names of their INI keys, and their load from and save to the four INI
// files beside the executable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "compat/platform.h"
#include "zorvel/board/interfaces.h"
#include "zorvel/board/protocol.h"

namespace config {

constexpr int kInterfaceCount = board::kInterfaceCount;
constexpr std::size_t kInterfaceNameSize = 255;  // at most 254 characters
constexpr std::size_t kSlaveCapacity = 255;
constexpr std::size_t kSlaveNumberSize = 13;  // "+7" and ten digits: at most 12 characters
constexpr int kChannelCount = 35;

extern const char* const kCommonFile;      // "Common.ini"
extern const char* const kControllerFile;  // "Zorvel.ini"
extern const char* const kSlavesFile;      // "CSD_Numbers.ini"
extern const char* const kChannelsFile;    // "RFM.ini", shared with the radio component

struct SlaveEntry {
    char Number[kSlaveNumberSize] = {};
    std::string Comment;
};

bool IsValidInterface(int index);

struct Settings {
    // Common.ini, COMMON
    std::int8_t Interface = 0;  // kept as loaded, even outside 0..4
    char Interfaces[kInterfaceCount][kInterfaceNameSize] = {};
    bool ControllerSetting = false;
    // Common.ini, TIME (Hour*, Bright*) and Zorvel.ini, ZVL (Mode, Interval)
    bool Refresh = false;
    board::BoardSettings Board;
    // Zorvel.ini, ZVL
    std::uint16_t BoardN = 0;
    std::int8_t RepeatsC = 0;
    // CSD_Numbers.ini, SLAVES: Count entries of Slaves are held
    std::uint32_t Count = 0;
    std::int32_t Index = 0;
    SlaveEntry Slaves[kSlaveCapacity];
    // RFM.ini, RFM: FreqComment[n - 1] is "Freq[n].Comment", channel n
    std::string FreqComment[kChannelCount];

    // Loading never creates a file and never reports anything; a missing file,
    // section or key, or a value that is not a number, gives the default.
    // csdNumber (it may be null) receives the selected slave number, as
    // CopySelectedSlaveNumber gives it: this is cGSM::CSD_Number.
    void Load(char* csdNumber = nullptr, std::size_t csdSize = 0, const std::string& dir = compat::ExecutableDir());
    // The same load in its two parts, for a caller that fills its controls
    // from Common.ini and Zorvel.ini before the lists are read.
    void LoadCommonAndController(const std::string& dir = compat::ExecutableDir());
    void LoadSlavesAndChannels(char* csdNumber, std::size_t csdSize, const std::string& dir = compat::ExecutableDir());

    // Writes every value the program keeps, file by file. The first write the
    // platform refuses is reported once ("Unable to write to <path>", on top of
    // owner) and ends the save: what was written before stays, nothing after
    // it is tried. Returns whether everything was written.
    bool Save(void* owner = nullptr, const std::string& dir = compat::ExecutableDir()) const;

    // The display name of an interface; empty outside 0..4.
    std::string InterfaceName(int index) const;

    // The number of entry Index, cut to 12 characters, into dest (size bytes,
    // NUL included); empty when Index selects no held entry.
    void CopySelectedSlaveNumber(char* dest, std::size_t size) const;
};

}  // namespace config
