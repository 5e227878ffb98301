// cFTD on a machine without the USB driver library: run without the double on
// the search path. The component still works as far as it can: no devices,
// and an Open that asks for it says the driver is missing.
#include <gtest/gtest.h>

#include <cstdio>

#include "transports/FTD.h"
#include "usb_support.h"

namespace {

int windowTag;
void* const kWindow = &windowTag;

#ifdef _WIN32
const char kMissing[] = "Драйвер USB не установлен: не найдена библиотека ftd2xx.dll";
#else
const char kMissing[] = "Драйвер USB не установлен: не найдена библиотека libftd2xx.so";
#endif

TEST(UsbWithoutDriver, NoDevicesAndOpenSaysTheDriverIsMissing) {
    const std::string ini = usbtest::BinPath("usb_no_driver_test_FTD.ini");
    std::remove(ini.c_str());
    usbtest::BoxLog boxes;
    {
        cFTD ftd(ini.c_str());
        ftd.hWnd = kWindow;
        EXPECT_EQ(0, cFTD::DevicesCount.load());
        cFTD::DevicesCount = 7;
        cFTD::ScanDevicesCount();
        EXPECT_EQ(0, cFTD::DevicesCount.load());
        cFTD::RegisterDeviceNotificationToHWND(nullptr);
        EXPECT_EQ(0, cFTD::DevicesCount.load());

        EXPECT_FALSE(ftd.Open(false, true));
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_FALSE(ftd.Open(true, true));
        EXPECT_EQ(nullptr, ftd.hDevice);
        const std::vector<usbtest::Box> shown = boxes.Boxes();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(kMissing, shown[0].text);
        EXPECT_EQ("Ошибка", shown[0].caption);
        EXPECT_EQ(usbtest::kErrorBox, shown[0].type);
        EXPECT_EQ(kWindow, shown[0].owner);

        char command[] = "read status\r";
        EXPECT_FALSE(ftd.SendEx(command, 12));
        unsigned char mode = 0;
        EXPECT_FALSE(ftd.GetBitMode(&mode));
        EXPECT_FALSE(ftd.SetBitMode(0xFF, 0x20));
        ftd.Close();
    }
    std::remove(ini.c_str());
}

}  // namespace
