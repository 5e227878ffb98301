// What cFTD needs from the system besides the driver library: starting and
// watching the driver's installer, and hearing about USB devices coming and
// going. One implementation per platform (host_win.cpp, host_posix.cpp).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace ftd {

enum class InstallerEnd {
    Finished,    // the installer ended by itself
    Aborted,     // `installing` became 0 and the installer was ended
    NotStarted,  // systemError tells why
    LeftRunning, // the program is quitting; the installer goes on alone
};

// Starts the program at `path` (in its own directory) and waits for its end.
// Windows: the calling thread's window messages keep being dispatched
// meanwhile. Whenever `installing` is found 0 the program is ended at once.
InstallerEnd RunInstaller(const std::string& path, const std::atomic<std::uint8_t>& installing, int& systemError);

// An existing file (not a directory).
bool IsFile(const std::string& path);
bool IsAbsolutePath(const std::string& path);

// Windows: USB device arrivals and removals, and changes of the device tree,
// reported to this window rescan the device count; the window's own procedure
// still sees every message. Once per window; undone when it is destroyed.
// Elsewhere nothing.
void WatchDeviceChanges(void* hWnd);

}  // namespace ftd
