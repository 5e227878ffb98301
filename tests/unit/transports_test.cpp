// The USB adapter without its driver, and the GSM modem and the radio without
// the adapter: what the program relies on while no device can be reached
// (nothing opens, every failure is reported by the component itself when asked), settings that persist in each component's
// own file, and each library's own message box hook.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compat/platform.h"
#include "ini_test_support.h"
#include "support.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"

namespace {

class StandInTest : public ::testing::Test {
protected:
    testsupport::BoxRecorder recorder_;
    std::vector<testsupport::RecordedBox>& boxes = recorder_.Boxes;

    static const char* Library(testsupport::BoxModule module) {
        switch (module) {
        case testsupport::BoxModule::FTD: return "FTD";
        case testsupport::BoxModule::GSM: return "GSM";
        case testsupport::BoxModule::RFM: return "RFM";
        default: return "another module";
        }
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const testsupport::RecordedBox& box : boxes) texts.push_back(std::string(Library(box.Module)) + ": " + box.Text);
        return texts;
    }

    ini_test::ScratchDir dir_{"transports"};
};

TEST_F(StandInTest, TheUsbAdapterHasNoDevice) {
    cFTD ftd(dir_.File("FTD.ini").c_str());
    cFTD::ScanDevicesCount();
    EXPECT_EQ(cFTD::DevicesCount, 0);
    EXPECT_FALSE(ftd.Open(false, true));
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(ftd.Open(true, true));
    EXPECT_EQ(ftd.hDevice, nullptr);
    char data[] = "x";
    unsigned char mode = 0;
    EXPECT_FALSE(ftd.SendEx(data, 1));
    EXPECT_FALSE(ftd.GetBitMode(&mode));
    EXPECT_FALSE(ftd.SetBitMode(0xFF, 0x20));
    cFTD::DriverInstalling = 1;
    cFTD::DriverInstall(nullptr);
    EXPECT_EQ(cFTD::DriverInstalling, 0);
    // No driver library here (only the USB tests put its double on the search path).
    const std::vector<std::string> texts = Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("FTD: Драйвер USB не установлен: не найдена библиотека ", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1].rfind("FTD: Программа установки драйвера USB не найдена:\r\n", 0), 0u) << texts[1];
    for (const testsupport::RecordedBox& box : boxes) {
        EXPECT_EQ(box.Caption, "Ошибка");
        EXPECT_EQ(box.Type, compat::kBoxOk | compat::kBoxIconError | compat::kBoxTopMost);
    }
}

// Without the program's USB adapter (pFTD, the forwarders) the modem and the
// radio cannot open, and say so only when asked.
TEST_F(StandInTest, TheGsmModemNeedsTheUsbAdapter) {
    cGSM gsm(dir_.File("GSM.ini").c_str());
    EXPECT_EQ(gsm.ModemOn, 0);
    EXPECT_EQ(gsm.NetworkFound, 0);
    EXPECT_EQ(gsm.Busy, 0);
    EXPECT_EQ(gsm.BalanceEnable, 0);
    EXPECT_EQ(gsm.StatusIdx, 0);
    EXPECT_STREQ(gsm.StatusText[0], "");

    EXPECT_FALSE(gsm.Open(false));
    EXPECT_FALSE(gsm.PowerOn(true));
    EXPECT_FALSE(gsm.SMS_DEL_ALL(false));
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(gsm.Open(true));
    EXPECT_STREQ(gsm.StatusText[gsm.StatusIdx], "Не удается открыть USB адаптер GSM модема");
    EXPECT_FALSE(gsm.PowerOn(true));  // Open has said it already
    EXPECT_FALSE(gsm.CheckBalance(true));
    char data[] = "read status\r";
    EXPECT_FALSE(gsm.CSD_Send(data, 12));
    gsm.Recv(data, 12);
    gsm.CSD_Close();
    gsm.PowerOff(true);
    gsm.PowerOffAT(false);
    gsm.Close();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"GSM: Не удается открыть USB адаптер GSM модема",
                                                 "GSM: GSM модем не готов: нет регистрации в сети"}));
    EXPECT_EQ(gsm.ModemOn, 0);
    EXPECT_EQ(gsm.StatusIdx, 0);
}

TEST_F(StandInTest, TheRadioNeedsTheUsbAdapter) {
    cRFM rfm(dir_.File("RFM.ini").c_str());
    EXPECT_FALSE(rfm.Open(false, false, true));
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(rfm.Open(true, false, true));
    char data[] = "read status\r";
    EXPECT_FALSE(rfm.Send(data, 12));
    rfm.Recv(data, 12);
    rfm.Close();
    EXPECT_EQ(Texts(), std::vector<std::string>{"RFM: Радиомодуль не подключен к USB адаптеру"});
}

TEST_F(StandInTest, SettingsHaveDefaultsAndSurviveTheObjects) {
    const std::string ftdIni = dir_.File("FTD.ini"), gsmIni = dir_.File("GSM.ini"), rfmIni = dir_.File("RFM.ini");
    {
        cFTD ftd(ftdIni.c_str());
        cGSM gsm(gsmIni.c_str());
        cRFM rfm(rfmIni.c_str());
        EXPECT_STREQ(ftd.DeviceName, "DEV0");
        EXPECT_EQ(ftd.DevicesMax, 8);
        EXPECT_STREQ(gsm.BalanceRequest, "*100#");
        EXPECT_STREQ(gsm.CSD_Number, "");
        EXPECT_EQ(rfm.Freq, 430000 + 26 * 200);
        EXPECT_EQ(rfm.DRfsk, 3);
        EXPECT_EQ(rfm.Pout, 7);
        EXPECT_EQ(rfm.DRin, 3);
        EXPECT_EQ(rfm.Parity, 0);
        EXPECT_EQ(rfm.Tw, 5);
        std::snprintf(ftd.DeviceName, sizeof ftd.DeviceName, "DEV3");
        ftd.DevicesMax = 4;
        std::snprintf(gsm.BalanceRequest, sizeof gsm.BalanceRequest, "*102#");
        std::snprintf(gsm.CSD_Number, sizeof gsm.CSD_Number, "+79001234567");
        rfm.Freq = 430000 + 34 * 200;
        rfm.DRfsk = 0;
        rfm.Pout = 2;
        rfm.DRin = 6;
        rfm.Parity = 2;
        rfm.Tw = 11;
    }
    cFTD ftd(ftdIni.c_str());
    cGSM gsm(gsmIni.c_str());
    cRFM rfm(rfmIni.c_str());
    EXPECT_STREQ(ftd.DeviceName, "DEV3");
    EXPECT_EQ(ftd.DevicesMax, 4);
    EXPECT_STREQ(gsm.BalanceRequest, "*102#");
    EXPECT_STREQ(gsm.CSD_Number, "+79001234567");
    EXPECT_EQ(rfm.Freq, 436800);
    EXPECT_EQ(rfm.DRfsk, 0);
    EXPECT_EQ(rfm.Pout, 2);
    EXPECT_EQ(rfm.DRin, 6);
    EXPECT_EQ(rfm.Parity, 2);
    EXPECT_EQ(rfm.Tw, 11);
}

TEST_F(StandInTest, ValuesOutOfRangeFallBackToTheDefaults) {
    const std::string ftdIni = dir_.File("FTD.ini"), rfmIni = dir_.File("RFM.ini");
    // The settings dialog counts devices in a signed byte: no more than 127.
    ini_test::WriteBytes(ftdIni, "[FTD]\r\nDeviceName=DEV12345678901\r\nDevicesMax=200\r\n");
    ini_test::WriteBytes(rfmIni, "[RFM]\r\nDRfsk=6\r\nPout=8\r\nDRin=7\r\nParity=3\r\nTw=12\r\n");
    cFTD ftd(ftdIni.c_str());
    cRFM rfm(rfmIni.c_str());
    EXPECT_STREQ(ftd.DeviceName, "DEV1234567");
    EXPECT_EQ(ftd.DevicesMax, 8);
    EXPECT_EQ(rfm.DRfsk, 3);
    EXPECT_EQ(rfm.Pout, 7);
    EXPECT_EQ(rfm.DRin, 3);
    EXPECT_EQ(rfm.Parity, 0);
    EXPECT_EQ(rfm.Tw, 5);
}

// "RFM.ini" is shared: the program keeps the channel comments in the same
// section, and the radio must leave them as they are.
TEST_F(StandInTest, TheRadioLeavesTheProgramsChannelCommentsAlone) {
    const std::string ini = dir_.File("RFM.ini");
    const std::string comments = "Freq[1].Comment=\xD1\xEA\xEB\xE0\xE4\r\nFreq[35].Comment=north gate\r\n";
    ini_test::WriteBytes(ini, "[RFM]\r\n" + comments + "Freq=431000\r\n");
    {
        cRFM rfm(ini.c_str());
        EXPECT_EQ(rfm.Freq, 431000);
        rfm.Freq = 432000;
    }
    const std::string after = ini_test::ReadBytes(ini).value_or("");
    EXPECT_EQ(after.compare(0, 7 + comments.size(), "[RFM]\r\n" + comments), 0) << ini_test::Visible(after);
    EXPECT_NE(after.find("Freq=432000\r\n"), std::string::npos) << ini_test::Visible(after);
}

TEST_F(StandInTest, EachLibraryReportsThroughItsOwnHook) {
    cFTD ftd(dir_.File("FTD.ini").c_str());
    cGSM gsm(dir_.File("GSM.ini").c_str());
    cRFM rfm(dir_.File("RFM.ini").c_str());
    ftd.Open(true, true);
    gsm.Open(true);
    rfm.Open(true, false, true);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].Module, testsupport::BoxModule::FTD);
    EXPECT_EQ(boxes[1].Module, testsupport::BoxModule::GSM);
    EXPECT_EQ(boxes[2].Module, testsupport::BoxModule::RFM);
}

}  // namespace
