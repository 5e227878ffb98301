// cRFM as the program sees it: its keys in "RFM.ini" next to the program's
// channel comments, its members in the configuration frame, and its own
// message boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compat/profile.h"
#include "ini_test_support.h"
#include "support.h"
#include "transports/RFM.h"

namespace {

using Calls = std::vector<std::string>;

// "Склад" and "Цех 2" in Windows-1251, as the program writes its comments.
const std::string kStore = "\xD1\xEA\xEB\xE0\xE4";
const std::string kWorkshop = "\xD6\xE5\xF5 2";

std::string Read(const std::string& file, const char* section, const char* key) {
    char value[256];
    GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, file.c_str());
    return value;
}

TEST(RfmSettingsFile, OnlyTheComponentsOwnKeysAreReadAndWritten) {
    ini_test::ScratchDir dir("rfm");
    const std::string file = dir.File("RFM.ini");
    const std::string commentOne = "Freq[1].Comment=" + kStore;
    const std::string commentTwentySeven = "Freq[27].Comment=" + kWorkshop;
    ini_test::WriteBytes(file, "[COMMON]\r\nX=1\r\n[RFM]\r\n" + commentOne + "\r\nFreq=433000\r\n" + commentTwentySeven +
                                   "\r\nDRfsk=9\r\nPout=2\r\n[OTHER]\r\nY=2\r\n");
    {
        cRFM radio(file.c_str());
        EXPECT_EQ(radio.Freq, 433000);
        EXPECT_EQ(radio.DRfsk, 3);  // 9 is no air data rate: the default
        EXPECT_EQ(radio.Pout, 2);
        EXPECT_EQ(radio.DRin, 3);
        EXPECT_EQ(radio.Parity, 0);
        EXPECT_EQ(radio.Tw, 5);
        radio.Freq = 435200;
        radio.Tw = 7;
    }
    std::optional<std::string> saved = ini_test::ReadBytes(file);
    ASSERT_TRUE(saved);
    // The comments are untouched, byte for byte, and before the section's end.
    std::size_t one = saved->find(commentOne + "\r\n");
    std::size_t twentySeven = saved->find(commentTwentySeven + "\r\n");
    std::size_t other = saved->find("[OTHER]");
    ASSERT_NE(one, std::string::npos);
    ASSERT_NE(twentySeven, std::string::npos);
    EXPECT_LT(one, twentySeven);
    EXPECT_LT(twentySeven, other);
    EXPECT_EQ(Read(file, "RFM", "Freq"), "435200");
    EXPECT_EQ(Read(file, "RFM", "DRfsk"), "3");
    EXPECT_EQ(Read(file, "RFM", "Pout"), "2");
    EXPECT_EQ(Read(file, "RFM", "DRin"), "3");
    EXPECT_EQ(Read(file, "RFM", "Parity"), "0");
    EXPECT_EQ(Read(file, "RFM", "Tw"), "7");
    EXPECT_EQ(Read(file, "RFM", "Freq[1].Comment"), kStore);
    EXPECT_EQ(Read(file, "COMMON", "X"), "1");
    EXPECT_EQ(Read(file, "OTHER", "Y"), "2");
}

// The program's forwarders, recording, with a module that confirms what it
// is sent.
Calls calls;
cRFM* radioUnderTest = nullptr;
std::vector<std::string> delivered;

bool FtdOpen(bool show) {
    calls.push_back(std::string("Open(") + (show ? "1)" : "0)"));
    return true;
}
void FtdClose() { calls.push_back("Close()"); }
bool FtdSendEx(char* data, int length) {
    std::string bytes(data, static_cast<std::size_t>(length));
    std::string hex;
    char text[4];
    for (char c : bytes) {
        std::snprintf(text, sizeof text, "%02X ", static_cast<unsigned char>(c));
        hex += text;
    }
    calls.push_back("SendEx(" + hex.substr(0, hex.size() - 1) + ")");
    if (static_cast<unsigned char>(bytes[0]) == 0xA5) {
        bytes[2] = static_cast<char>(0x81);
        bytes.back() = static_cast<char>(bytes.back() + 0x80);
        radioUnderTest->Recv(bytes.data(), static_cast<int>(bytes.size()));
    }
    return true;
}
bool FtdGetBitMode(unsigned char* mode) {
    *mode = 0x20;
    return true;
}
bool FtdSetBitMode(unsigned char mask, unsigned char mode) {
    char text[32];
    std::snprintf(text, sizeof text, "SetBitMode(%02X,%02X)", mask, mode);
    calls.push_back(text);
    return true;
}
void ReceiveData(char* data, int count) { delivered.emplace_back(data, static_cast<std::size_t>(count)); }

class RfmComponentTest : public ::testing::Test {
protected:
    RfmComponentTest() : radio(dir.File("RFM.ini").c_str()) {
        calls.clear();
        delivered.clear();
        radioUnderTest = &radio;
        radio.pFTD_Open = FtdOpen;
        radio.pFTD_Close = FtdClose;
        radio.pFTD_SendEx = FtdSendEx;
        radio.pRecvCallback = ReceiveData;
        radio.pFTD_GetBitMode = FtdGetBitMode;
        radio.pFTD_SetBitMode = FtdSetBitMode;
        radio.pFTD_hDevice = &device;
    }
    ~RfmComponentTest() override {
        radioUnderTest = nullptr;
    }

    ini_test::ScratchDir dir{"rfm-open"};
    cRFM radio;
    int handle = 1;
    void* device = &handle;
    testsupport::BoxRecorder recorder_;
    std::vector<testsupport::RecordedBox>& boxes = recorder_.Boxes;
};

TEST_F(RfmComponentTest, TheMembersGoIntoTheFrameAndTheBoardsBytesToTheCallback) {
    radio.Freq = 430000 + 4 * 200;  // channel 5
    radio.DRfsk = 1;
    radio.Pout = 4;
    radio.DRin = 5;
    radio.Parity = 1;
    radio.Tw = 2;
    ASSERT_TRUE(radio.Open(true, false, true));
    EXPECT_EQ(calls, (Calls{"Open(1)", "SetBitMode(10,20)", "SendEx(A5 5A 01 08 06 92 D0 01 04 05 01 02 7E)",
                            "SetBitMode(11,20)"}));
    EXPECT_TRUE(delivered.empty());  // the confirmation is the module's, not the board's
    char reply[] = "Ok\r";
    radio.Recv(reply, 3);
    EXPECT_EQ(delivered, Calls{"Ok\r"});
    char command[] = "write mode=3\r";
    EXPECT_TRUE(radio.Send(command, 13));
    device = nullptr;  // pulled out
    EXPECT_FALSE(radio.Send(command, 13));
    radio.Close();
    EXPECT_EQ(calls.back(), "Close()");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(RfmComponentTest, ANoChannelFrequencyIsReportedOnlyWhenAsked) {
    radio.Freq = 430000 - 200;  // the settings dialog without a selected channel
    EXPECT_FALSE(radio.Open(true, false, true));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Недопустимая частота радиоканала: 429800 кГц");
    EXPECT_EQ(boxes[0].Caption, "Ошибка");
    EXPECT_EQ(boxes[0].Type, 0x10u | 0x40000u);
    EXPECT_FALSE(radio.Open(false, false, true));
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(calls.empty());
}

}  // namespace
