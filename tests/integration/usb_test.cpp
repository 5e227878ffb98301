// cFTD over the D2XX double (tests/doubles/ftd2xx): device count, open and its
// failures, an exchange with boardsim, a device pulled out while it is read,
// bit modes, settings, the driver installer and (Windows) device
// notifications. usb_with_boardsim.py starts boardsim and names its port in
// BOARDSIM_TCP_PORT; without it the exchanges are skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "transports/FTD.h"
#include "usb_support.h"

#ifdef _WIN32
#include <windows.h>

#include <dbt.h>
#else
#include <cerrno>
#include <csignal>
#endif

namespace {

using usbtest::BinPath;
using usbtest::Box;
using usbtest::BoxLog;
using usbtest::EnvScope;
using usbtest::kErrorBox;
using usbtest::kPatience;

int windowTag;
void* const kWindow = &windowTag;

usbtest::Received received;
void OnReceive(char* data, int count) { received.Add(data, count); }

const char kStatusEnd[] = "Temperature:+21\r\n";  // boardsim's last status line

// A Unix path as this platform's file functions take it (under Wine: on Z:).
std::string HostPath(const std::string& path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') {
        std::string windows = "Z:" + path;
        std::replace(windows.begin(), windows.end(), '/', '\\');
        return windows;
    }
#endif
    return path;
}

std::string Boardsim() {
    const std::string port = usbtest::GetEnv("BOARDSIM_TCP_PORT");
    return port.empty() ? std::string() : "tcp:127.0.0.1:" + port;
}

#define REQUIRE_BOARDSIM()                                                         \
    if (Boardsim().empty()) GTEST_SKIP() << "boardsim not running (usb_with_boardsim.py starts it)"

// Every test gets its own settings file and a driver double with one device
// and nothing attached.
class Usb : public ::testing::Test {
protected:
    void SetUp() override {
        std::remove(ini_.c_str());
        for (const char* name : {"FTD2XX_DOUBLE_DEVICES", "FTD2XX_DOUBLE_CONNECT", "FTD2XX_DOUBLE_PINS_FILE",
                                 "FTD2XX_DOUBLE_FAIL_OPEN", "FTD2XX_DOUBLE_REMOVE_AFTER_MS",
                                 "FTD2XX_DOUBLE_SHORT_READS"})
            env_.Set(name, nullptr);
        received.Clear();
    }
    void TearDown() override { std::remove(ini_.c_str()); }

    const std::string ini_ = BinPath("usb_test_FTD.ini");
    EnvScope env_;
    BoxLog boxes_;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// --- Device count ------------------------------------------------------------

TEST_F(Usb, DeviceCountFollowsTheDriverUpTo255) {
    struct Case {
        const char* devices;  // nullptr: the double's default
        int expected;
    };
    for (const Case& c : {Case{nullptr, 1}, Case{"0", 0}, Case{"3", 3}, Case{"200", 200}, Case{"255", 255},
                          Case{"300", 255}, Case{"1", 1}}) {
        EnvScope devices("FTD2XX_DOUBLE_DEVICES", c.devices);
        cFTD::ScanDevicesCount();
        EXPECT_EQ(c.expected, cFTD::DevicesCount.load()) << (c.devices ? c.devices : "default");
    }
}

TEST_F(Usb, TheListDoesNotRefreshByItself) {
    EnvScope devices("FTD2XX_DOUBLE_DEVICES", "3");
    cFTD ftd(ini_.c_str());
    EXPECT_EQ(3, cFTD::DevicesCount.load()) << "the constructor counts the devices";
    devices.Set("FTD2XX_DOUBLE_DEVICES", "5");
    EXPECT_EQ(3, cFTD::DevicesCount.load());
    cFTD::RegisterDeviceNotificationToHWND(nullptr);
    EXPECT_EQ(5, cFTD::DevicesCount.load()) << "registering starts with a scan";
}

// --- Open and its failures ----------------------------------------------------

TEST_F(Usb, OpenFailuresAreReportedOnlyWhenAsked) {
    struct Case {
        const char* what;
        const char* name;
        std::vector<std::pair<const char*, const char*>> env;
        std::uint32_t baudRate;
        std::uint8_t dataBits;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"DEV5 of 3", "DEV5", {{"FTD2XX_DOUBLE_DEVICES", "3"}}, 9600, 8, "USB устройство DEV5 не найдено"},
        {"no devices", "DEV0", {{"FTD2XX_DOUBLE_DEVICES", "0"}}, 9600, 8, "USB устройство DEV0 не найдено"},
        {"open fails", "DEV0", {{"FTD2XX_DOUBLE_FAIL_OPEN", "1"}}, 9600, 8,
         "Не удается открыть USB устройство DEV0 (код ошибки 3)"},
        {"far end unreachable", "DEV0", {{"FTD2XX_DOUBLE_CONNECT", "tcp:127.0.0.1:1"}}, 9600, 8,
         "Не удается открыть USB устройство DEV0 (код ошибки 3)"},
        {"not a device name", "COM1", {}, 9600, 8, "Неверное имя USB устройства: COM1"},
        {"no number", "DEV", {}, 9600, 8, "Неверное имя USB устройства: DEV"},
        {"junk after the number", "DEV1x", {}, 9600, 8, "Неверное имя USB устройства: DEV1x"},
        {"far beyond the list", "DEV9999999", {}, 9600, 8, "USB устройство DEV9999999 не найдено"},
        {"no name", "", {}, 9600, 8, "USB устройство не выбрано"},
        {"speed refused", "DEV0", {}, 0, 8, "Не удается установить параметры USB устройства DEV0"},
        {"data bits refused", "DEV0", {}, 9600, 5, "Не удается установить параметры USB устройства DEV0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(ini_.c_str());
        EnvScope env;
        for (const auto& [name, value] : c.env) env.Set(name, value);
        cFTD ftd(ini_.c_str());
        ftd.hWnd = kWindow;
        std::snprintf(ftd.DeviceName, sizeof ftd.DeviceName, "%s", c.name);
        ftd.BaudRate = c.baudRate;
        ftd.DataBits = c.dataBits;
        boxes_.Clear();

        EXPECT_FALSE(ftd.Open(false, true));
        EXPECT_TRUE(boxes_.Boxes().empty());
        EXPECT_FALSE(ftd.Open(true, true));
        EXPECT_EQ(nullptr, ftd.hDevice);
        const std::vector<Box> boxes = boxes_.Boxes();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(c.text, boxes[0].text);
        EXPECT_EQ("Ошибка", boxes[0].caption);
        EXPECT_EQ(kErrorBox, boxes[0].type);
        EXPECT_EQ(kWindow, boxes[0].owner);
        char command[] = "read status\r";
        EXPECT_FALSE(ftd.SendEx(command, 12));
    }
    // A settings failure leaves the device closed in the driver: it opens now.
    std::remove(ini_.c_str());
    cFTD ftd(ini_.c_str());
    EXPECT_TRUE(ftd.Open(true, true));
}

TEST_F(Usb, AnOpenDeviceIsTakenUntilClosed) {
    EnvScope devices("FTD2XX_DOUBLE_DEVICES", "2");
    cFTD first(ini_.c_str()), second(ini_.c_str());
    ASSERT_TRUE(first.Open(true, true));
    EXPECT_NE(nullptr, first.hDevice);
    EXPECT_FALSE(second.Open(true, false));
    std::snprintf(second.DeviceName, sizeof second.DeviceName, "DEV1");
    EXPECT_TRUE(second.Open(true, false)) << "the other device is free";
    second.Close();
    std::snprintf(second.DeviceName, sizeof second.DeviceName, "dev0");
    first.Close();
    EXPECT_EQ(nullptr, first.hDevice);
    first.Close();  // twice is harmless
    EXPECT_TRUE(second.Open(true, true)) << "closed for the driver too; names in any case";
    EXPECT_TRUE(second.Open(true, true)) << "Open closes what it had open";
    const std::vector<Box> boxes = boxes_.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Не удается открыть USB устройство DEV0 (код ошибки 3)", boxes[0].text);
}

// --- Exchanges with boardsim ---------------------------------------------------

TEST_F(Usb, ReadsTheBoardsStatusAndCountsWhatCame) {
    REQUIRE_BOARDSIM();
    env_.Set("FTD2XX_DOUBLE_CONNECT", Boardsim().c_str());
    cFTD ftd(ini_.c_str());
    ftd.pRecvCallback = OnReceive;
    ASSERT_TRUE(ftd.Open(true, true));
    char command[] = "read status\r";
    ASSERT_TRUE(ftd.SendEx(command, 12));
    ASSERT_TRUE(received.WaitFor([](const std::string& bytes) { return Contains(bytes, kStatusEnd); }))
        << received.Bytes();
    const std::string reply = received.Bytes();
    EXPECT_EQ(0u, reply.find("Soft:")) << reply;
    EXPECT_EQ(reply.size(), ftd.RecvC.load()) << "nobody reset it";
    EXPECT_TRUE(received.AllTerminated()) << "a NUL follows every block";

    received.Clear();
    ftd.RecvC = 0;
    char write[] = "write mode=2\r";
    ASSERT_TRUE(ftd.SendEx(write, 13));
    ASSERT_TRUE(received.WaitFor([](const std::string& bytes) { return bytes == "Ok\r"; })) << received.Bytes();
    EXPECT_EQ(3u, ftd.RecvC.load());
    ftd.Close();
    EXPECT_EQ(nullptr, ftd.hDevice);

    const std::string log = usbtest::ReadFile(HostPath(usbtest::GetEnv("BOARDSIM_LOG")));
    EXPECT_TRUE(Contains(log, "\tread status\t")) << log;
    EXPECT_TRUE(Contains(log, "\twrite mode=2\t")) << log;
}

TEST_F(Usb, ShortReadsStillDeliverTheWholeReply) {
    REQUIRE_BOARDSIM();
    env_.Set("FTD2XX_DOUBLE_CONNECT", Boardsim().c_str());
    env_.Set("FTD2XX_DOUBLE_SHORT_READS", "1");
    cFTD ftd(ini_.c_str());
    ftd.pRecvCallback = OnReceive;
    ASSERT_TRUE(ftd.Open(true, true));
    char command[] = "read status\r";
    ASSERT_TRUE(ftd.SendEx(command, 12));
    ASSERT_TRUE(received.WaitFor([](const std::string& bytes) { return Contains(bytes, kStatusEnd); }))
        << received.Bytes();
    EXPECT_EQ(0u, received.Bytes().find("Soft:"));
    const std::vector<std::size_t> blocks = received.Blocks();
    EXPECT_GT(blocks.size(), 20u);
    EXPECT_LE(*std::max_element(blocks.begin(), blocks.end()), 2u);
    EXPECT_EQ(received.Bytes().size(), ftd.RecvC.load());
}

TEST_F(Usb, CloseFromTheReceiveCallbackDoesNotWaitForItself) {
    REQUIRE_BOARDSIM();
    env_.Set("FTD2XX_DOUBLE_CONNECT", Boardsim().c_str());
    cFTD ftd(ini_.c_str());
    ftd.pRecvCallback = OnReceive;
    std::atomic<bool> opened{true};
    received.OnBlock([&] {
        ftd.Close();
        opened = ftd.Open(true, true);  // refused on the reading thread
    });
    ASSERT_TRUE(ftd.Open(true, true));
    char command[] = "read status\r";
    ASSERT_TRUE(ftd.SendEx(command, 12));
    ASSERT_TRUE(received.WaitFor([](const std::string& bytes) { return !bytes.empty(); }));
    ftd.Close();  // joins the thread that asked to stop, and closes the device
    EXPECT_FALSE(opened.load());
    EXPECT_EQ(1u, received.Blocks().size()) << "the thread stopped after the block whose callback closed";
    EXPECT_EQ(nullptr, ftd.hDevice);
    received.OnBlock(nullptr);
    EXPECT_TRUE(ftd.Open(true, true));
}

// --- A device pulled out ------------------------------------------------------------

TEST_F(Usb, APulledOutDeviceEndsTheReaderAndTheNextOpenSaysSo) {
    env_.Set("FTD2XX_DOUBLE_REMOVE_AFTER_MS", "150");
    cFTD ftd(ini_.c_str());
    ftd.pRecvCallback = OnReceive;
    ftd.hWnd = kWindow;
    ASSERT_EQ(1, cFTD::DevicesCount.load());
    ASSERT_TRUE(ftd.Open(true, true));

    // The reading thread, blocked in a read, finds the device gone and counts again.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (cFTD::DevicesCount.load() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(0, cFTD::DevicesCount.load());

    char command[] = "read status\r";
    EXPECT_FALSE(ftd.SendEx(command, 12));
    unsigned char mode = 0;
    EXPECT_FALSE(ftd.GetBitMode(&mode));
    EXPECT_FALSE(ftd.SetBitMode(0xFF, 0x20));
    EXPECT_TRUE(boxes_.Boxes().empty()) << "the removal itself says nothing";

    EXPECT_FALSE(ftd.Open(true, true));
    EXPECT_EQ(nullptr, ftd.hDevice);
    const std::vector<Box> boxes = boxes_.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("USB устройство DEV0 не найдено", boxes[0].text);
    EXPECT_TRUE(received.Bytes().empty());

    // Plugged in again.
    env_.Set("FTD2XX_DOUBLE_REMOVE_AFTER_MS", nullptr);
    cFTD::ScanDevicesCount();
    EXPECT_EQ(1, cFTD::DevicesCount.load());
    EXPECT_TRUE(ftd.Open(true, true));
}

// --- Bit modes -------------------------------------------------------------------

TEST_F(Usb, SetBitModeReachesThePinsAndGetBitModeReadsItBack) {
    const std::string pins = BinPath("usb_test_pins");
    std::remove(pins.c_str());
    env_.Set("FTD2XX_DOUBLE_PINS_FILE", pins.c_str());
    cFTD ftd(ini_.c_str());
    unsigned char mode = 0x55;
    EXPECT_FALSE(ftd.SetBitMode(0xF0, 0x20)) << "closed";
    EXPECT_FALSE(ftd.GetBitMode(&mode));
    EXPECT_EQ(0x55, mode);

    ASSERT_TRUE(ftd.Open(true, false));
    struct Step {
        unsigned char mask, mode;
    };
    for (const Step& step : {Step{0xF0, 0x20}, Step{0x00, 0x00}, Step{0xF4, 0x20}}) {
        ASSERT_TRUE(ftd.SetBitMode(step.mask, step.mode));
        EXPECT_EQ(std::string({static_cast<char>(step.mask), static_cast<char>(step.mode)}), usbtest::ReadFile(pins));
        ASSERT_TRUE(ftd.GetBitMode(&mode));
        EXPECT_EQ(step.mode, mode);
    }
    ftd.Close();
    std::remove(pins.c_str());
}

// --- Settings ----------------------------------------------------------------------

TEST_F(Usb, SettingsComeFromTheFileWithDefaultsAndGoBack) {
    struct Case {
        const char* file;
        const char* deviceName;
        std::uint32_t baudRate;
        int dataBits, stopBits, parity, flowControl, devicesMax;
        const char* installer;
    };
#ifdef _WIN32
    const char* const defaultInstaller = "Driver\\install.exe";
#else
    const char* const defaultInstaller = "Driver/install";
#endif
    const Case cases[] = {
        {"", "DEV0", 9600, 8, 0, 0, 0, 8, defaultInstaller},
        {"[FTD]\r\nDeviceName=DEV2\r\nBaudRate=115200\r\nDataBits=7\r\nStopBits=2\r\nParity=2\r\nFlowControl=1\r\n"
         "DevicesMax=16\r\nDriverInstaller=C:\\Drivers\\setup.exe\r\n",
         "DEV2", 115200, 7, 2, 2, 1, 16, "C:\\Drivers\\setup.exe"},
        {"[FTD]\r\nBaudRate=0\r\nDataBits=5\r\nStopBits=1\r\nParity=7\r\nFlowControl=4\r\nDevicesMax=128\r\n",
         "DEV0", 9600, 8, 0, 0, 0, 8, defaultInstaller},
        {"[FTD]\r\nBaudRate=3000001\r\nDataBits=9\r\nStopBits=3\r\nParity=-1\r\nDevicesMax=-1\r\n", "DEV0", 9600, 8,
         0, 0, 0, 8, defaultInstaller},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        {
            std::FILE* file = std::fopen(ini_.c_str(), "wb");
            ASSERT_NE(nullptr, file);
            std::fputs(c.file, file);
            std::fclose(file);
        }
        {
            cFTD ftd(ini_.c_str());
            EXPECT_STREQ(c.deviceName, ftd.DeviceName);
            EXPECT_EQ(c.baudRate, ftd.BaudRate);
            EXPECT_EQ(c.dataBits, ftd.DataBits);
            EXPECT_EQ(c.stopBits, ftd.StopBits);
            EXPECT_EQ(c.parity, ftd.Parity);
            EXPECT_EQ(c.flowControl, ftd.FlowControl);
            EXPECT_EQ(c.devicesMax, ftd.DevicesMax);
            EXPECT_STREQ(c.installer, cFTD::DriverInstaller);
        }
        // Written back as read, so a second object reads the same.
        const std::string written = usbtest::ReadFile(ini_);
        EXPECT_TRUE(Contains(written, "BaudRate=" + std::to_string(c.baudRate))) << written;
        cFTD again(ini_.c_str());
        EXPECT_STREQ(c.deviceName, again.DeviceName);
        EXPECT_EQ(c.dataBits, again.DataBits);
        EXPECT_STREQ(c.installer, cFTD::DriverInstaller);
    }
}

// --- Driver installation ---------------------------------------------------------------

#ifdef _WIN32
const char kDummyInstaller[] = "usb_dummy_installer.exe";
#else
const char kDummyInstaller[] = "usb_dummy_installer";
#endif

// Runs `step` every 20 ms while the installation waits, until it returns
// true. On Windows from a thread timer: it runs only because DriverInstall
// dispatches the thread's messages, as the second press of the button needs.
// Natively from a thread of its own.
class DuringInstall {
public:
    explicit DuringInstall(std::function<bool()> step) : step_(std::move(step)) {
#ifdef _WIN32
        active_ = this;
        timer_ = SetTimer(nullptr, 0, 20, &Tick);
#else
        thread_ = std::thread([this] {
            while (!stop_.load() && !step_()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        });
#endif
    }
    ~DuringInstall() {
#ifdef _WIN32
        if (timer_) KillTimer(nullptr, timer_);
        active_ = nullptr;
#else
        stop_ = true;
        thread_.join();
#endif
    }
    DuringInstall(const DuringInstall&) = delete;
    DuringInstall& operator=(const DuringInstall&) = delete;

private:
    std::function<bool()> step_;
#ifdef _WIN32
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (active_ && active_->timer_ && active_->step_()) {
            KillTimer(nullptr, active_->timer_);
            active_->timer_ = 0;
        }
    }
    static inline DuringInstall* active_ = nullptr;
    UINT_PTR timer_ = 0;
#else
    std::atomic<bool> stop_{false};
    std::thread thread_;
#endif
};

bool ProcessEnded(int pid) {
#ifdef _WIN32
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process) return true;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
#else
    return kill(pid, 0) != 0 && errno == ESRCH;  // ended and reaped
#endif
}

class UsbDriverInstall : public Usb {
protected:
    void SetUp() override {
        Usb::SetUp();
        std::remove(log_.c_str());
        env_.Set("USB_DUMMY_INSTALLER_LOG", log_.c_str());
        std::snprintf(saved_, sizeof saved_, "%s", cFTD::DriverInstaller);
        cFTD::DriverInstalling = 0;
    }
    void TearDown() override {
        std::snprintf(cFTD::DriverInstaller, sizeof cFTD::DriverInstaller, "%s", saved_);
        std::remove(log_.c_str());
        Usb::TearDown();
    }
    std::string Log() { return usbtest::ReadFile(log_); }
    void UseInstaller(const std::string& path) {
        std::snprintf(cFTD::DriverInstaller, sizeof cFTD::DriverInstaller, "%s", path.c_str());
    }

    const std::string log_ = BinPath("usb_test_installer.log");
    char saved_[sizeof cFTD::DriverInstaller];
};

TEST_F(UsbDriverInstall, WithoutARunnableInstallerItSaysSoAndReturns) {
    struct Case {
        std::string installer, text;
    };
    const std::string missing = BinPath("no-such-installer.exe");
    const std::string notAProgram = BinPath("usb_test_not_a_program.exe");
    {
        std::FILE* file = std::fopen(notAProgram.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        std::fputs("[FTD]\r\n", file);
        std::fclose(file);
    }
    const Case cases[] = {
        {missing, "Программа установки драйвера USB не найдена:\r\n" + missing},
        {"no-such-installer.exe", "Программа установки драйвера USB не найдена:\r\n" + missing},
        {compat::ExecutableDir(), "Программа установки драйвера USB не найдена:\r\n" + compat::ExecutableDir()},
        {notAProgram, "Не удается запустить программу установки драйвера USB (код ошибки "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installer);
        boxes_.Clear();
        UseInstaller(c.installer);
        cFTD::DriverInstall(kWindow);
        EXPECT_EQ(0, cFTD::DriverInstalling.load());
        const std::vector<Box> boxes = boxes_.Boxes();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(0u, boxes[0].text.find(c.text)) << boxes[0].text;
        EXPECT_EQ(kErrorBox, boxes[0].type);
        EXPECT_EQ(kWindow, boxes[0].owner);
    }
    std::remove(notAProgram.c_str());
}

TEST_F(UsbDriverInstall, WaitsForTheInstallerWhileTheFlagIsSet) {
    env_.Set("USB_DUMMY_INSTALLER_MS", "300");
    env_.Set("FTD2XX_DOUBLE_DEVICES", "0");
    cFTD::ScanDevicesCount();
    env_.Set("FTD2XX_DOUBLE_DEVICES", "2");  // what the new driver will find
    UseInstaller(kDummyInstaller);           // beside the program
    int flagWhileRunning = -1;
    {
        DuringInstall watch([&] {
            if (!Contains(Log(), "started")) return false;
            flagWhileRunning = cFTD::DriverInstalling.load();
            return true;
        });
        cFTD::DriverInstall(kWindow);
    }
    const std::string log = Log();
    EXPECT_EQ(1, flagWhileRunning);
    EXPECT_EQ(0, cFTD::DriverInstalling.load());
    EXPECT_TRUE(Contains(log, "finished")) << "returned before the installer ended:\n" << log;
    EXPECT_EQ(log.find("started"), log.rfind("started")) << log;
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(2, cFTD::DevicesCount.load()) << "the devices are counted after an installation";
}

TEST_F(UsbDriverInstall, ClearingTheFlagEndsTheInstaller) {
    env_.Set("USB_DUMMY_INSTALLER_MS", "60000");
    UseInstaller(BinPath(kDummyInstaller));
    int flagWhileRunning = -1;
    {
        DuringInstall secondPress([&] {
            if (!Contains(Log(), "started")) return false;
            flagWhileRunning = cFTD::DriverInstalling.load();
            cFTD::DriverInstalling = 0;
            return true;
        });
        cFTD::DriverInstalling = 1;  // a caller may set the flag itself first
        cFTD::DriverInstall(kWindow);
    }
    const std::string log = Log();
    EXPECT_EQ(1, flagWhileRunning);
    EXPECT_EQ(0, cFTD::DriverInstalling.load());
    ASSERT_EQ(0u, log.find("started ")) << log;
    EXPECT_FALSE(Contains(log, "finished")) << log;
    EXPECT_TRUE(ProcessEnded(std::atoi(log.c_str() + 8))) << log;
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// --- Device notifications ------------------------------------------------------------

#ifdef _WIN32
// A window with a procedure of its own that counts what reaches it.
struct CountingWindow {
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DEVICECHANGE) ++deviceChanges;
        if (message == WM_USER) ++userMessages;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    CountingWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"UsbTestWindow";
        RegisterClassW(&windowClass);
        handle = CreateWindowW(L"UsbTestWindow", L"usb", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        deviceChanges = userMessages = 0;
    }
    ~CountingWindow() {
        if (handle) DestroyWindow(handle);
    }
    HWND handle = nullptr;
    static inline int deviceChanges = 0, userMessages = 0;
};

TEST_F(Usb, DeviceArrivalAndRemovalRescanBesideTheWindowsOwnProcedure) {
    CountingWindow window;
    ASSERT_NE(nullptr, window.handle);
    env_.Set("FTD2XX_DOUBLE_DEVICES", "1");
    cFTD::RegisterDeviceNotificationToHWND(window.handle);
    cFTD::RegisterDeviceNotificationToHWND(window.handle);  // once per window
    EXPECT_EQ(1, cFTD::DevicesCount.load());

    DEV_BROADCAST_DEVICEINTERFACE_W broadcast{};
    broadcast.dbcc_size = sizeof broadcast;
    broadcast.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    const LPARAM event = reinterpret_cast<LPARAM>(&broadcast);
    struct Case {
        WPARAM kind;
        const char* devices;
        int expected;
    };
    for (const Case& c : {Case{DBT_DEVICEARRIVAL, "3", 3}, Case{DBT_DEVICEREMOVECOMPLETE, "2", 2},
                          Case{DBT_DEVNODES_CHANGED, "0", 0}, Case{DBT_QUERYCHANGECONFIG, "4", 0}}) {
        env_.Set("FTD2XX_DOUBLE_DEVICES", c.devices);
        const int before = CountingWindow::deviceChanges;
        SendMessageW(window.handle, WM_DEVICECHANGE, c.kind, c.kind == DBT_DEVNODES_CHANGED ? 0 : event);
        EXPECT_EQ(c.expected, cFTD::DevicesCount.load()) << c.kind;
        EXPECT_EQ(before + 1, CountingWindow::deviceChanges) << "the window's own procedure still sees it once";
    }
    SendMessageW(window.handle, WM_USER, 0, 0);
    EXPECT_EQ(1, CountingWindow::userMessages);

    DestroyWindow(window.handle);
    window.handle = nullptr;
    // A new window at the same place starts without the watch.
    CountingWindow other;
    env_.Set("FTD2XX_DOUBLE_DEVICES", "5");
    SendMessageW(other.handle, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, event);
    EXPECT_EQ(0, cFTD::DevicesCount.load());
}
#endif

}  // namespace
