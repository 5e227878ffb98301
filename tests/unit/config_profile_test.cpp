// Values of one INI file: the integer and boolean rules of the configuration
// files and the string limit, on top of the platform's profile functions.
#include <gtest/gtest.h>

#include <string>

#include "ini_test_support.h"
#include "zorvel/config/profile.h"

using config::ParseInteger;
using config::ProfileFile;
using ini_test::ReadBytes;
using ini_test::WriteBytes;

namespace {

TEST(ParseInteger, Rule) {
    struct {
        const char* text;
        std::optional<int> value;
    } rows[] = {
        {"0", 0},
        {"42", 42},
        {"-5", -5},
        {"+7", 7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"0x3", 3},
        {"0X1f", 31},
        {"0x7FFFFFFF", 2147483647},
        {"0xFFFFFFFF", -1},
        {"0x00000000FF", 255},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"0x100000000", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"0x", std::nullopt},
        {"0xG", std::nullopt},
        {"-0x10", std::nullopt},
        {"12abc", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"3.5", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(ParseInteger(row.text), row.value) << '"' << row.text << '"';
}

class ProfileFileTest : public ::testing::Test {
protected:
    ini_test::ScratchDir dir_{"config-profile"};
    std::string path_ = dir_.File("test.ini");
    ProfileFile file_{path_};
};

TEST_F(ProfileFileTest, ReadsWithDefaults) {
    WriteBytes(path_,
               "[S]\r\nhex=0x1F\r\nneg= -5 \r\ntext=abc\r\nmixed=12abc\r\nempty=\r\nzero=0\r\nfive=5\r\n"
               "quoted=\"7\"\r\n");
    struct {
        const char* key;
        int fallback;
        int integer;
        bool flagWithTrue, flagWithFalse;
    } rows[] = {
        {"missing", 9, 9, true, false},
        {"hex", 9, 31, true, true},
        {"neg", 9, -5, true, true},
        {"text", 9, 9, true, false},
        {"mixed", 9, 9, true, false},
        {"empty", 9, 9, true, false},
        {"zero", 9, 0, false, false},
        {"five", 9, 5, true, true},
        {"quoted", 9, 7, true, true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(file_.ReadInteger("S", row.key, row.fallback), row.integer) << row.key;
        EXPECT_EQ(file_.ReadBool("s", row.key, true), row.flagWithTrue) << row.key;
        EXPECT_EQ(file_.ReadBool("s", row.key, false), row.flagWithFalse) << row.key;
    }
    EXPECT_EQ(file_.ReadString("S", "text", "d"), "abc");
    EXPECT_EQ(file_.ReadString("S", "missing", "d"), "d");
    EXPECT_EQ(file_.ReadString("Nowhere", "text", ""), "");
}

TEST_F(ProfileFileTest, StringsStopAt2047Characters) {
    WriteBytes(path_, "[S]\r\nlong=" + std::string(100000, 'y') + "\r\nexact=" + std::string(2047, 'z') + "\r\n");
    EXPECT_EQ(file_.ReadString("S", "long", ""), std::string(2047, 'y'));
    EXPECT_EQ(file_.ReadString("S", "exact", ""), std::string(2047, 'z'));
    EXPECT_EQ(file_.ReadInteger("S", "long", 4), 4);
}

TEST_F(ProfileFileTest, WritesTexts) {
    EXPECT_TRUE(file_.WriteInteger("S", "a", -128));
    EXPECT_TRUE(file_.WriteInteger("S", "b", 65535));
    EXPECT_TRUE(file_.WriteBool("S", "c", true));
    EXPECT_TRUE(file_.WriteBool("S", "d", false));
    EXPECT_TRUE(file_.WriteString("S", "e", "\xEA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9"));
    EXPECT_TRUE(file_.WriteString("S", "f", ""));
    EXPECT_EQ(ReadBytes(path_).value_or(""),
              "[S]\r\na=-128\r\nb=65535\r\nc=1\r\nd=0\r\ne=\xEA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9\r\nf=\r\n");
}

TEST_F(ProfileFileTest, RefusedWriteIsReported) {
    ProfileFile nowhere(dir_.File("missing-dir") + "/x.ini");
    EXPECT_FALSE(nowhere.WriteInteger("S", "a", 1));
    EXPECT_FALSE(nowhere.WriteBool("S", "a", true));
    EXPECT_FALSE(nowhere.WriteString("S", "a", "x"));
    EXPECT_EQ(nowhere.ReadInteger("S", "a", 3), 3);
}

}  // namespace
