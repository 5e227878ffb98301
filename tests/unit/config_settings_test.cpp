// The held settings: what a load makes of the four INI files, and what a save
// leaves in them, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "compat/platform.h"
#include "ini_test_support.h"
#include "support.h"
#include "zorvel/config/profile.h"
#include "zorvel/config/settings.h"

using config::Settings;
using ini_test::ReadBytes;
using ini_test::Visible;
using ini_test::WriteBytes;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    std::vector<testsupport::RecordedBox>& Boxes() { return boxes_.Boxes; }

    // A new, empty directory. Each case that reuses a file name gets one, so that
    // no profile cache keyed by name and time can hand back an earlier file.
    void NewDir() { dir_ = std::make_unique<ini_test::ScratchDir>("settings"); }
    std::string Dir() const { return dir_->Dir(); }
    std::string Path(const char* name) const { return compat::JoinPath(Dir(), name); }
    void Put(const char* name, const std::string& bytes) const { WriteBytes(Path(name), bytes); }
    std::string Get(const char* name) const { return ReadBytes(Path(name)).value_or("<missing>"); }
    std::string Value(const char* name, const char* section, const char* key) const {
        return config::ProfileFile(Path(name)).ReadString(section, key, "<missing>");
    }

    // Settings are large (255 slave entries); keep them off the stack.
    Settings& Load() {
        settings_ = std::make_unique<Settings>();
        std::memset(csd_, '#', sizeof csd_);
        settings_->Load(csd_, sizeof csd_, Dir());
        return *settings_;
    }
    bool Save() { return settings_->Save(nullptr, Dir()); }

    std::unique_ptr<ini_test::ScratchDir> dir_ = std::make_unique<ini_test::ScratchDir>("settings");
    std::unique_ptr<Settings> settings_;
    char csd_[13];  // as cGSM::CSD_Number

private:
    testsupport::BoxRecorder boxes_;
};

std::string ChannelLines(const std::vector<std::string>& comments) {
    std::string lines;
    for (int n = 1; n <= config::kChannelCount; ++n) {
        lines += "Freq[" + std::to_string(n) + "].Comment=" + comments[static_cast<std::size_t>(n - 1)] + "\r\n";
    }
    return lines;
}

const char* const kFreshCommon =
    "[COMMON]\r\nInterface=0\r\n[TIME]\r\nRefresh=0\r\nHourM=6\r\nHourA=10\r\nHourE=16\r\nHourN=21\r\n"
    "BrightM=100\r\nBrightA=100\r\nBrightE=100\r\nBrightN=100\r\n";

TEST_F(SettingsTest, NoFilesAtAll) {
    Settings& s = Load();
    EXPECT_EQ(s.Interface, 0);
    for (int i = 0; i < config::kInterfaceCount; ++i) EXPECT_STREQ(s.Interfaces[i], "");
    EXPECT_FALSE(s.ControllerSetting);
    EXPECT_FALSE(s.Refresh);
    const board::BoardSettings& b = s.Board;
    EXPECT_EQ(std::vector<int>({b.HourM, b.HourA, b.HourE, b.HourN}), std::vector<int>({6, 10, 16, 21}));
    EXPECT_EQ(std::vector<int>({b.BrightM, b.BrightA, b.BrightE, b.BrightN}), std::vector<int>({100, 100, 100, 100}));
    EXPECT_EQ(s.BoardN, 0);
    EXPECT_EQ(s.RepeatsC, 3);
    EXPECT_EQ(b.Mode, 1);
    EXPECT_EQ(b.Interval, 0);
    EXPECT_EQ(s.Count, 1u);
    EXPECT_EQ(s.Index, 0);
    EXPECT_STREQ(s.Slaves[0].Number, "");
    EXPECT_EQ(s.Slaves[0].Comment, "");
    EXPECT_STREQ(csd_, "");
    for (const std::string& comment : s.FreqComment) EXPECT_EQ(comment, "");
    EXPECT_TRUE(std::filesystem::is_empty(Dir())) << "loading created a file";
    EXPECT_TRUE(Boxes().empty());

    ASSERT_TRUE(Save());
    EXPECT_EQ(Visible(Get("Common.ini")), Visible(kFreshCommon));
    EXPECT_EQ(Visible(Get("Zorvel.ini")), Visible("[ZVL]\r\nBoardN=0\r\nRepeatsC=3\r\nMode=1\r\nInterval=0\r\n"));
    EXPECT_EQ(Visible(Get("CSD_Numbers.ini")), Visible("[SLAVES]\r\nCount=1\r\nIndex=0\r\nN0=\r\nC0=\r\n"));
    EXPECT_EQ(Visible(Get("RFM.ini")),
              Visible("[RFM]\r\n" + ChannelLines(std::vector<std::string>(config::kChannelCount))));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SettingsTest, ControllerValuesCutAndCorrected) {
    struct {
        const char* file;
        int mode, interval;
        const char *savedMode, *savedInterval;
    } rows[] = {
        {"[ZVL]\r\nMode=0\r\n", 1, 0, "1", "0"},
        {"[ZVL]\r\nMode=9\r\n", 1, 0, "1", "0"},
        {"[ZVL]\r\nMode=-1\r\n", 1, 0, "1", "0"},
        {"[ZVL]\r\nMode=abc\r\n", 1, 0, "1", "0"},
        {"[ZVL]\r\nMode=0x3\r\n", 3, 0, "3", "0"},
        {"[ZVL]\r\nMode=4\r\nInterval=255\r\n", 4, 255, "4", "255"},
        {"[ZVL]\r\nMode=2\r\nInterval=300\r\n", 2, 44, "2", "44"},
        {"[ZVL]\r\nMode=259\r\nInterval=-1\r\n", 3, 255, "3", "255"},  // cut to 8 bits, then checked
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        NewDir();
        Put("Zorvel.ini", row.file);
        Settings& s = Load();
        EXPECT_EQ(s.Board.Mode, row.mode);
        EXPECT_EQ(s.Board.Interval, row.interval);
        ASSERT_TRUE(Save());
        EXPECT_EQ(Value("Zorvel.ini", "ZVL", "Mode"), row.savedMode);
        EXPECT_EQ(Value("Zorvel.ini", "ZVL", "Interval"), row.savedInterval);
    }
}

TEST_F(SettingsTest, CommonValues) {
    Put("Common.ini",
        "[COMMON]\r\nInterface=0x2\r\nInterfaces[0]=COM\r\nInterfaces[2]=TCP/IP\r\nControllerSetting=5\r\n"
        "[TIME]\r\nRefresh=5\r\nHourM=-3\r\nHourN=0x17\r\nBrightE=abc\r\n");
    Put("Zorvel.ini", "[ZVL]\r\nBoardN=65535\r\nRepeatsC=-2\r\n");
    Settings& s = Load();
    EXPECT_EQ(s.Interface, 2);
    EXPECT_EQ(s.InterfaceName(0), "COM");
    EXPECT_EQ(s.InterfaceName(1), "");
    EXPECT_EQ(s.InterfaceName(2), "TCP/IP");
    EXPECT_TRUE(s.ControllerSetting);
    EXPECT_TRUE(s.Refresh);
    EXPECT_EQ(s.Board.HourM, -3);
    EXPECT_EQ(s.Board.HourN, 23);
    EXPECT_EQ(s.Board.BrightE, 100);
    EXPECT_EQ(s.BoardN, 65535);
    EXPECT_EQ(s.RepeatsC, -2);

    ASSERT_TRUE(Save());
    EXPECT_EQ(Visible(Get("Common.ini")),
              Visible("[COMMON]\r\nInterface=2\r\nInterfaces[0]=COM\r\nInterfaces[2]=TCP/IP\r\nControllerSetting=5\r\n"
                      "[TIME]\r\nRefresh=1\r\nHourM=-3\r\nHourN=23\r\nBrightE=100\r\nHourA=10\r\nHourE=16\r\n"
                      "BrightM=100\r\nBrightA=100\r\nBrightN=100\r\n"));
    EXPECT_EQ(Visible(Get("Zorvel.ini")), Visible("[ZVL]\r\nBoardN=65535\r\nRepeatsC=-2\r\nMode=1\r\nInterval=0\r\n"));
}

TEST_F(SettingsTest, InterfaceOutsideRangeKept) {
    for (const char* value : {"7", "-1", "200"}) {
        SCOPED_TRACE(value);
        NewDir();
        Put("Common.ini", std::string("[COMMON]\r\nInterface=") + value + "\r\nInterfaces[4]=Radio\r\n");
        Settings& s = Load();
        EXPECT_FALSE(config::IsValidInterface(s.Interface));
        EXPECT_EQ(s.InterfaceName(s.Interface), "");
        ASSERT_TRUE(Save());
        EXPECT_EQ(Value("Common.ini", "COMMON", "Interface"), std::to_string(s.Interface));
    }
    EXPECT_EQ(static_cast<int>(settings_->Interface), -56) << "200 is held in 8 signed bits";
}

TEST_F(SettingsTest, CountTwoLeavesThirdEntryAlone) {
    const std::string file =
        "[SLAVES]\r\nCount=2\r\nIndex=1\r\nN0=+79000000000\r\nC0=first\r\nN1=+79000000001\r\nC1=second\r\n"
        "N2=+79000000002\r\nC2=third\r\n";
    Put("CSD_Numbers.ini", file);
    Settings& s = Load();
    EXPECT_EQ(s.Count, 2u);
    EXPECT_STREQ(s.Slaves[1].Number, "+79000000001");
    EXPECT_EQ(s.Slaves[1].Comment, "second");
    EXPECT_STREQ(s.Slaves[2].Number, "");
    EXPECT_STREQ(csd_, "+79000000001");

    s.Slaves[0].Comment = "changed";
    ASSERT_TRUE(Save());
    std::string expected = file;
    expected.replace(expected.find("first"), 5, "changed");
    EXPECT_EQ(Visible(Get("CSD_Numbers.ini")), Visible(expected));
}

TEST_F(SettingsTest, SlaveListLimits) {
    Put("CSD_Numbers.ini",
        "[SLAVES]\r\nCount=300\r\nIndex=254\r\nN0=+7900000000012345\r\nN254=last\r\nN255=beyond\r\n");
    Settings& s = Load();
    EXPECT_EQ(s.Count, 255u);
    EXPECT_STREQ(s.Slaves[0].Number, "+79000000000") << "a number holds 12 characters";
    EXPECT_STREQ(s.Slaves[254].Number, "last");
    EXPECT_STREQ(csd_, "last");

    s.Count = 1000;  // whatever the dialog leaves, no more than the list holds is saved
    ASSERT_TRUE(Save());
    EXPECT_EQ(Value("CSD_Numbers.ini", "SLAVES", "Count"), "255");
    EXPECT_EQ(Value("CSD_Numbers.ini", "SLAVES", "N0"), "+79000000000");
    EXPECT_EQ(Value("CSD_Numbers.ini", "SLAVES", "N254"), "last");
    EXPECT_EQ(Value("CSD_Numbers.ini", "SLAVES", "N255"), "beyond");
}

TEST_F(SettingsTest, IndexSelectingNoEntry) {
    for (const char* index : {"2", "-1", "255", "0x7FFFFFFF"}) {
        SCOPED_TRACE(index);
        NewDir();
        Put("CSD_Numbers.ini", std::string("[SLAVES]\r\nCount=2\r\nIndex=") + index + "\r\nN0=+1\r\nN1=+2\r\nN2=+3\r\n");
        Settings& s = Load();
        EXPECT_STREQ(csd_, "");
        ASSERT_TRUE(Save());
        EXPECT_EQ(Value("CSD_Numbers.ini", "SLAVES", "Index"), std::to_string(s.Index));
    }
}

TEST_F(SettingsTest, SelectedNumberFitsItsDestination) {
    Put("CSD_Numbers.ini", "[SLAVES]\r\nCount=1\r\nN0=+79001234567\r\n");
    Settings& s = Load();
    char small[6];
    std::memset(small, '#', sizeof small);
    s.CopySelectedSlaveNumber(small, 5);
    EXPECT_STREQ(small, "+790");
    EXPECT_EQ(small[5], '#');
    std::memset(s.Slaves[0].Number, '9', sizeof s.Slaves[0].Number);  // no NUL left in the field
    s.CopySelectedSlaveNumber(csd_, sizeof csd_);
    EXPECT_EQ(std::string(csd_), std::string(12, '9'));
    s.CopySelectedSlaveNumber(nullptr, 0);
}

TEST_F(SettingsTest, LongAndBinaryFiles) {
    Put("Common.ini", "[COMMON]\r\nInterfaces[0]=" + std::string(100000, 'n') + "\r\nInterfaces[1]=" +
                          std::string(300, 'm') + "\r\nInterfaces[2]=" + std::string(254, 'k') + "\r\n");
    std::string binary;
    unsigned state = 7;
    for (int i = 0; i < 8192; ++i) {
        state = state * 1103515245u + 12345u;
        binary += static_cast<char>(state >> 24);
    }
    for (const char* name : {"Zorvel.ini", "CSD_Numbers.ini", "RFM.ini"}) Put(name, binary);

    Settings& s = Load();
    EXPECT_EQ(std::string(s.Interfaces[0]), std::string(254, 'n'));
    EXPECT_EQ(std::string(s.Interfaces[1]), std::string(254, 'm'));
    EXPECT_EQ(std::string(s.Interfaces[2]), std::string(254, 'k'));
    EXPECT_GE(s.Board.Mode, 1);
    EXPECT_LE(s.Board.Mode, 4);
    EXPECT_LE(s.Count, config::kSlaveCapacity);
    EXPECT_TRUE(Save());
}

TEST_F(SettingsTest, Windows1251TextSurvivesByteForByte) {
    const std::string comment = "\xC4\xE0\xF7\xE0 \xB8\xA8 \"\xEC\xE0\xF1\xF2\xE5\xF0\xE0\"";  // Дача ёЁ "мастера"
    const std::string channel = "\xCA\xE0\xED\xE0\xEB \xB9" "5";                             // Канал №5
    Put("CSD_Numbers.ini", "[SLAVES]\r\nCount=1\r\nN0=+1\r\nC0=" + comment + "\r\n");
    Put("RFM.ini", "[RFM]\r\nFreq[5].Comment=" + channel + "\r\n");
    Settings& s = Load();
    EXPECT_EQ(Visible(s.Slaves[0].Comment), Visible("\xC4\xE0\xF7\xE0 \xB8\xA8 \"\xEC\xE0\xF1\xF2\xE5\xF0\xE0\""));
    EXPECT_EQ(Visible(s.FreqComment[4]), Visible(channel));

    ini_test::ScratchDir other("settings-copy");
    ASSERT_TRUE(s.Save(nullptr, other.Dir()));
    std::string saved = ReadBytes(compat::JoinPath(other.Dir(), "CSD_Numbers.ini")).value_or("");
    EXPECT_NE(saved.find("\r\nC0=" + s.Slaves[0].Comment + "\r\n"), std::string::npos) << Visible(saved);
    saved = ReadBytes(compat::JoinPath(other.Dir(), "RFM.ini")).value_or("");
    EXPECT_NE(saved.find("\r\nFreq[5].Comment=" + channel + "\r\n"), std::string::npos) << Visible(saved);
}

TEST_F(SettingsTest, RoundTripChangesNothing) {
    std::vector<std::string> comments(config::kChannelCount);
    comments[0] = "\xCF\xE5\xF0\xE2\xFB\xE9";
    comments[34] = "last one";
    const std::string files[][2] = {
        {"Common.ini",
         "; written by hand\r\n\r\n[COMMON]\r\nInterface = 4\r\nInterfaces[0]=COM\r\nControllerSetting=1\r\n\r\n"
         "[TIME]\r\nRefresh=1\r\nHourM=7\r\nHourA=11\r\nHourE=17\r\nHourN=22\r\nBrightM=90\r\nBrightA=80\r\n"
         "BrightE=70\r\nBrightN=20\r\n"},
        {"Zorvel.ini", "[ZVL]\r\nBoardN=12\r\nRepeatsC=3\r\nMode=3\r\nInterval=10\r\n\r\n"},
        {"CSD_Numbers.ini",
         "[SLAVES]\r\nCount=2\r\nIndex=1\r\nN0=+79001112233\r\nC0=\xC4\xE0\xF7\xE0\r\nN1=+79004445566\r\nC1=\r\n"},
        {"RFM.ini", "[RFM]\r\nFreq=430200\r\nDRfsk=2\r\n" + ChannelLines(comments) + "[FTD]\r\nDevice=DEV0\r\n"},
    };
    for (const auto& file : files) Put(file[0].c_str(), file[1]);
    Load();
    ASSERT_TRUE(Save());
    for (const auto& file : files) EXPECT_EQ(Visible(Get(file[0].c_str())), Visible(file[1])) << file[0];
}

TEST_F(SettingsTest, RefusedWriteStopsTheSave) {
    std::filesystem::create_directory(Path("Zorvel.ini"));  // no file can be written there
    Load();
    EXPECT_FALSE(Save());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].Text, "Unable to write to " + Path("Zorvel.ini"));
    EXPECT_EQ(Boxes()[0].Caption, "Ошибка");
    EXPECT_EQ(Boxes()[0].Type, compat::kBoxOk | compat::kBoxIconError | compat::kBoxTopMost);
    EXPECT_EQ(Visible(Get("Common.ini")), Visible(kFreshCommon)) << "what was written before stays";
    EXPECT_FALSE(ini_test::Exists(Path("CSD_Numbers.ini")));
    EXPECT_FALSE(ini_test::Exists(Path("RFM.ini")));
}

TEST_F(SettingsTest, MissingDirectoryReportedOnce) {
    Load();
    const std::string missing = dir_->File("gone");
    EXPECT_FALSE(settings_->Save(nullptr, missing));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].Text, "Unable to write to " + compat::JoinPath(missing, "Common.ini"));
    EXPECT_FALSE(ini_test::Exists(missing));
}

#ifndef _WIN32
TEST_F(SettingsTest, ReadOnlyDirectory) {
    namespace fs = std::filesystem;
    fs::permissions(Dir(), fs::perms::owner_read | fs::perms::owner_exec);
    if (std::FILE* probe = std::fopen(Path("probe").c_str(), "wb")) {
        std::fclose(probe);
        fs::permissions(Dir(), fs::perms::owner_all);
        GTEST_SKIP() << "this user may write into read-only directories";
    }
    Load();
    EXPECT_FALSE(Save());
    fs::permissions(Dir(), fs::perms::owner_all);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].Text, "Unable to write to " + Path("Common.ini"));
    EXPECT_FALSE(ini_test::Exists(Path("Common.ini")));
}
#endif

}  // namespace
