// Stands in for the USB driver's installer in the tests of cFTD::DriverInstall:
// notes its start (with its process id) in USB_DUMMY_INSTALLER_LOG, sleeps
// USB_DUMMY_INSTALLER_MS milliseconds, notes its end and exits.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace {
void Note(const char* text) {
    const char* path = std::getenv("USB_DUMMY_INSTALLER_LOG");
    if (!path) return;
    if (std::FILE* log = std::fopen(path, "a")) {
        std::fprintf(log, "%s %d\n", text, static_cast<int>(getpid()));
        std::fclose(log);
    }
}
}  // namespace

int main() {
    Note("started");
    const char* ms = std::getenv("USB_DUMMY_INSTALLER_MS");
    std::this_thread::sleep_for(std::chrono::milliseconds(ms ? std::atol(ms) : 0));
    Note("finished");
    return 0;
}
