// The settings dialog's rules: the conversions of OK, the transport switch,
// the port and device lists, the channel and slave texts, the slave list's
// store on OK.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zorvel/settvalues.h"

namespace {

using sett::SwitchStep;

TEST(SettValues, OkConvertsEveryTextOrNamesTheFirstThatFails) {
    struct Case {
        std::optional<std::string> baud, bits;
        std::string port;
        bool ok;
        std::string error;
        std::uint16_t storedPort;
    } cases[] = {
        {"9600", "8", "5000", true, "", 5000},
        {"9600", "8", "05000", true, "", 5000},
        {std::nullopt, std::nullopt, "0", true, "", 0},  // lists without a selection convert nothing
        {"9600", "8", "65535", true, "", 65535},
        {"9600", "8", "", false, "'' is not a valid integer value", 0},
        {"9600", "8", "12a", false, "'12a' is not a valid integer value", 0},
        {"9600", "8", "70000", false, "'70000' is not a valid port number (0-65535)", 0},
        {"9600", "8", "-1", false, "'-1' is not a valid port number (0-65535)", 0},
        {"", "8", "5000", false, "'' is not a valid integer value", 0},
        {"9600", "x", "5000", false, "'x' is not a valid integer value", 0},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto numbers = sett::ConvertOk({c.baud, c.bits, c.port}, error);
        EXPECT_EQ(c.ok, numbers.has_value()) << c.port;
        EXPECT_EQ(c.error, error) << c.port;
        if (numbers) {
            EXPECT_EQ(c.storedPort, numbers->TcpPort);
        }
    }
}

TEST(SettValues, ParseIntegerTakesOnlyPlainDecimalsInRange) {
    EXPECT_EQ(42, sett::ParseInteger("42"));
    EXPECT_EQ(-7, sett::ParseInteger("-7"));
    EXPECT_EQ(2147483647, sett::ParseInteger("2147483647"));
    EXPECT_EQ(-2147483647 - 1, sett::ParseInteger("-2147483648"));
    for (const char* bad : {"", "+", " 1", "1 ", "0x10", "2147483648", "99999999999999999999"})
        EXPECT_FALSE(sett::ParseInteger(bad)) << bad;
}

TEST(SettValues, TransportSwitchCallsInOrder) {
    using V = std::vector<SwitchStep>;
    struct Case {
        int next, old;
        bool modemOn;
        V steps;
    } cases[] = {
        {0, 3, true, {SwitchStep::GsmPowerOffAT, SwitchStep::GsmClose, SwitchStep::GsmSignalReset}},
        {3, 0, false, {SwitchStep::FtdScanDevicesCount, SwitchStep::GsmOpen, SwitchStep::FtdScanDevicesCount}},
        {3, 0, true, {SwitchStep::FtdScanDevicesCount, SwitchStep::FtdScanDevicesCount}},
        // A failed call left the modem off: OK brings it up again.
        {3, 3, false, {SwitchStep::FtdScanDevicesCount, SwitchStep::GsmOpen, SwitchStep::FtdScanDevicesCount}},
        {3, 3, true, {SwitchStep::FtdScanDevicesCount, SwitchStep::FtdScanDevicesCount}},
        {1, 0, false, {SwitchStep::FtdScanDevicesCount}},
        {4, 0, false, {SwitchStep::FtdScanDevicesCount}},
        {2, 0, false, {}},
        {0, 0, false, {}},
        {4, 3, true, {SwitchStep::GsmPowerOffAT, SwitchStep::GsmClose, SwitchStep::GsmSignalReset,
                      SwitchStep::FtdScanDevicesCount}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.steps, sett::TransportSwitch(c.next, c.old, c.modemOn)) << c.old << "->" << c.next << " " << c.modemOn;
}

TEST(SettValues, PortAndDeviceLists) {
    const auto all = sett::AllPortNames();
    ASSERT_EQ(255u, all.size());
    EXPECT_EQ("COM1", all.front());
    EXPECT_EQ("COM255", all.back());
    EXPECT_EQ(6, sett::IndexOf(all, "COM7"));
    EXPECT_EQ(-1, sett::IndexOf(all, "COM256"));

    struct Case {
        unsigned portsMax;
        std::vector<std::string> free;
        std::vector<std::string> listed;
        int tries;
    } cases[] = {
        {0, {"COM1"}, {}, 0},
        {32, {"COM1", "COM5"}, {"COM1", "COM5"}, 32},
        {255, {"COM255"}, {"COM255"}, 255},  // the scan ends after the 8-bit limit
    };
    for (const Case& c : cases) {
        int tries = 0;
        const auto listed = sett::FreePortNames(c.portsMax, [&](const std::string& name) {
            ++tries;
            return sett::IndexOf(c.free, name) >= 0;
        });
        EXPECT_EQ(c.listed, listed) << c.portsMax;
        EXPECT_EQ(c.tries, tries) << c.portsMax;
    }

    EXPECT_EQ((std::vector<std::string>{"DEV0", "DEV1", "DEV2"}), sett::DeviceNames(3));
    EXPECT_TRUE(sett::DeviceNames(0).empty());
    EXPECT_TRUE(sett::DeviceNames(-5).empty());
    const auto many = sett::DeviceNames(200);
    ASSERT_EQ(127u, many.size());
    EXPECT_EQ("DEV126", many.back());
}

TEST(SettValues, ChannelTextsAndFrequencies) {
    EXPECT_EQ("7  ", sett::ChannelItemText(7, ""));
    EXPECT_EQ("5  north", sett::ChannelItemText(5, "north"));
    struct Case {
        std::int32_t freq;
        int index;
    } cases[] = {{430000, 0}, {430000 + 26 * 200, 26}, {430000 + 34 * 200, 34}, {430199, 0},
                 {430000 + 35 * 200, -1}, {429800, -1}, {429900, 0} /* truncated toward zero */};
    for (const Case& c : cases) EXPECT_EQ(c.index, sett::ChannelIndex(c.freq)) << c.freq;
    EXPECT_EQ(430000 + 26 * 200, sett::ChannelFreq(26));
}

std::vector<sett::SlaveRow> Rows(std::initializer_list<sett::SlaveRow> filled) {
    std::vector<sett::SlaveRow> rows(filled);
    rows.resize(sett::kSlaveRows);
    return rows;
}

TEST(SettValues, SlaveListStoredUpToTheFirstRowWithoutANumber) {
    config::Settings s;
    s.Count = 30;
    s.Index = 3;
    std::snprintf(s.Slaves[3].Number, sizeof s.Slaves[3].Number, "%s", "+70000000003");
    std::snprintf(s.Slaves[20].Number, sizeof s.Slaves[20].Number, "%s", "+70000000020");

    // Rows 1, 2 and 4 filled, row 3 without a number.
    sett::StoreSlaveRows(Rows({{"+71111111111", "a"}, {"+72222222222", "b"}, {"", "c"}, {"+74444444444", "d"}}), 1, s);
    EXPECT_EQ(2u, s.Count);
    EXPECT_EQ(1, s.Index);
    EXPECT_STREQ("+72222222222", s.Slaves[1].Number);
    EXPECT_STREQ("", s.Slaves[2].Number) << "the row that ends the list is stored with its empty number";
    EXPECT_EQ("c", s.Slaves[2].Comment);
    EXPECT_STREQ("+70000000003", s.Slaves[3].Number) << "rows after it are not stored";
    char dial[13] = "stale";
    s.CopySelectedSlaveNumber(dial, sizeof dial);
    EXPECT_STREQ("+72222222222", dial);

    // All 19 rows; a number longer than the held field is cut to 12 characters.
    std::vector<sett::SlaveRow> all(sett::kSlaveRows, {"+71234567890", "x"});
    all[0].Number = "+7123456789012345";
    sett::StoreSlaveRows(all, 0, s);
    EXPECT_EQ(19u, s.Count);
    EXPECT_STREQ("+71234567890", s.Slaves[0].Number);

    // None, no selection: Count 0, Index -1, nothing to dial.
    sett::StoreSlaveRows(Rows({}), -1, s);
    EXPECT_EQ(0u, s.Count);
    EXPECT_EQ(-1, s.Index);
    s.CopySelectedSlaveNumber(dial, sizeof dial);
    EXPECT_STREQ("", dial);
    // A selection past the stored entries dials nothing either.
    sett::StoreSlaveRows(Rows({{"+71111111111", ""}}), 4, s);
    s.CopySelectedSlaveNumber(dial, sizeof dial);
    EXPECT_STREQ("", dial);
}

TEST(SettValues, SlaveRowsShownAndChecked) {
    config::Settings s;
    s.Count = 2;
    std::snprintf(s.Slaves[0].Number, sizeof s.Slaves[0].Number, "%s", "+71111111111");
    s.Slaves[1].Comment = "two";
    std::snprintf(s.Slaves[5].Number, sizeof s.Slaves[5].Number, "%s", "+75555555555");
    const auto rows = sett::SlaveRowsOf(s);
    ASSERT_EQ(19u, rows.size());
    EXPECT_EQ("+71111111111", rows[0].Number);
    EXPECT_EQ("two", rows[1].Comment);
    EXPECT_EQ("", rows[5].Number) << "entries past Count are not shown";
    EXPECT_EQ("+71111111111  x", sett::SlaveItemText("+71111111111", "x"));

    EXPECT_EQ(-1, sett::FirstInvalidSlaveRow(Rows({{"+71234567890", ""}, {"", ""}})));
    EXPECT_EQ(0, sett::FirstInvalidSlaveRow(Rows({{"+7123", ""}, {"+8123", ""}})));
    EXPECT_EQ(1, sett::FirstInvalidSlaveRow(Rows({{"+71234567890", ""}, {"+81234567890", ""}})));
    EXPECT_EQ(0, sett::FirstInvalidSlaveRow(Rows({{"71234567890+", ""}})));

    struct Key {
        int col;
        bool above;
        wchar_t key;
        bool taken;
    } keys[] = {{0, true, L'5', true},  {0, true, L'+', true},  {0, true, L'\b', true}, {0, true, L'a', false},
                {1, true, L'a', true},  {1, false, L'a', false}, {0, false, L'5', false}};
    for (const Key& k : keys) EXPECT_EQ(k.taken, sett::SlaveKeyAccepted(k.col, k.above, k.key)) << k.col << k.key;
}

}  // namespace
