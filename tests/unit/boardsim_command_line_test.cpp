// boardsim's command line: every argument vector ends in one of the three
// outcomes (an empty argument once made the parse run for ever, so this test
// runs under a short time-out), and the options land where the server reads them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "command_line.h"

using namespace boardsim;

namespace {

struct Parsed {
    ParseOutcome Outcome;
    Options Values;
    std::string Message;
};

Parsed Parse(std::initializer_list<const char*> arguments) {
    std::vector<const char*> argv{"boardsim"};
    argv.insert(argv.end(), arguments);
    argv.push_back(nullptr);
    Parsed parsed{};
    parsed.Outcome = ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data(), parsed.Values, parsed.Message,
                                      false);
    return parsed;
}

}  // namespace

TEST(BoardsimCommandLine, RefusedArgumentVectorsEndWithAMessage) {
    struct Case {
        std::initializer_list<const char*> Arguments;
        const char* Message;
    } cases[] = {
        // An empty argument is an unexpected argument like any other, wherever it stands.
        {{"", "--radio"}, "boardsim: The following argument was not expected: \n"},
        {{"", "--tcp", "1"}, "boardsim: The following argument was not expected: \n"},
        {{"--tcp", "1", ""}, "boardsim: The following argument was not expected: \n"},
        {{"--tc", "", "", "--radio", "--radio-cio", "--radio-channerop("},
         "boardsim: The following arguments were not expected: --radio-channerop( --radio-cio   --tc\n"},
        {{"--tcp", "1", "x"}, "boardsim: The following argument was not expected: x\n"},
        {{"--mode", "2"}, "boardsim: give --tcp PORT, --pty LINK or both\n"},
        {{"--tcp", "1", "--mode", "5"}, "boardsim: --mode: Value 5 not in range 1 to 4\n"},
        {{"--tcp", "1", "--modem-fault", "busy"}, "boardsim: --modem-fault requires --modem\n"},
        {{"--tcp", "1", "--radio-drop", "3"}, "boardsim: --radio-drop requires --radio\n"},
        {{"--tcp", "1", "--modem", "--radio"}, "boardsim: --modem excludes --radio\n"},
        {{"--tcp", "1", "--radio", "--radio-channel", "36"}, "boardsim: --radio-channel: Value 36 not in range 1 to 35\n"},
        {{"--tcp", "1", "--omit", "foo"}, "boardsim: --omit: foo not in {soft,time,date,mode,interval,hours,brightness}\n"},
        {{"--tcp", "1", "--hours", "1,2,3"}, "boardsim: four comma-separated numbers expected: 1,2,3\n"},
    };
    for (const Case& c : cases) {
        Parsed parsed = Parse(c.Arguments);
        EXPECT_EQ(ParseOutcome::Usage, parsed.Outcome) << c.Message;
        EXPECT_EQ(c.Message, parsed.Message);
    }
}

TEST(BoardsimCommandLine, EveryHeadingsOptionsReachTheServer) {
    Parsed parsed = Parse({"--tcp", "0", "--firmware", "", "--mode", "2", "--hours", "1,2,3,4", "--silent",
                           "--reject", "mode", "--garbage", "\\x41", "--radio", "--radio-channel", "5",
                           "--radio-drop", "50"});
    ASSERT_EQ(ParseOutcome::Run, parsed.Outcome) << parsed.Message;
    const Options& o = parsed.Values;
    EXPECT_EQ(0, o.TcpPort);
    EXPECT_EQ("", o.State.Firmware) << "an empty value is still a value";
    EXPECT_EQ(2, o.State.Mode);
    EXPECT_EQ(4, o.State.Hours[3]);
    EXPECT_TRUE(o.BoardFaults.Silent);
    EXPECT_EQ(1u, o.BoardFaults.Rejected.count("mode"));
    EXPECT_EQ("A", o.BoardFaults.Garbage);
    EXPECT_TRUE(o.Devices.RadioMode);
    EXPECT_EQ(5, o.Devices.RadioChannel);
    EXPECT_EQ(50u, o.Devices.Radio.DropPercent);

    EXPECT_EQ(ParseOutcome::Help, Parse({"--help"}).Outcome);
}
