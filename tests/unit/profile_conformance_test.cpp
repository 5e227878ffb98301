// One suite for the private-profile functions, built twice: natively against
// our Linux implementation and with MinGW against the real functions, run
// under Wine. Every row holds on both, except rows where Wine is known to
// differ from Windows; those are skipped under Wine with the reason, and the
// Linux layer follows Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "compat/profile.h"
#include "ini_test_support.h"

using namespace std::string_literals;
using ini_test::ReadBytes;
using ini_test::Visible;
using ini_test::WriteBytes;

namespace {

// Reasons Wine gives different results than Windows.
constexpr const char* kWineRewrites =
    "Wine rewrites the whole file on a write: blank lines and the spaces around '=' go, every line ends in CRLF";
constexpr const char* kWineTrimsArguments =
    "Wine trims every white-space character from section and key arguments, and keeps trailing spaces of "
    "the names it creates; Windows trims spaces only";
constexpr const char* kWineReadsBom = "Wine skips a UTF-8 byte-order mark; the ANSI functions of Windows read it as text";
constexpr const char* kWineQuotedFit =
    "Wine's quote removal drops one character too many when the unquoted value fills the buffer exactly";
constexpr const char* kWineDefaultSpaces =
    "Wine keeps the first character of an all-space default; every trailing space of the default is removed";
constexpr const char* kWineAsciiCase = "Wine ignores case only for ASCII letters in section and key names";

ini_test::ScratchDir& Scratch() {
    static ini_test::ScratchDir dir("profile");
    return dir;
}

// Wine caches profiles by modification time; a new name per case keeps every
// case independent of the previous one.
std::string FreshFile() {
    static int serial = 0;
    return Scratch().File("case" + std::to_string(++serial) + ".ini");
}

// ---------------------------------------------------------------------------
// Reading one key.

struct ReadRow {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    const char* fallback;
    DWORD size;
    std::string expected;
    DWORD result;
    const char* wineDiffers = nullptr;
};

std::ostream& operator<<(std::ostream& out, const ReadRow& row) { return out << row.name; }

const ReadRow kReadRows[] = {
    {"Plain", "[s]\r\nk=v\r\n", "s", "k", "d", 64, "v", 1},
    {"SpacesAroundKeyAndValue", "[s]\r\n  k  =  v v  \r\n", "s", "k", "d", 64, "v v", 3},
    {"TabsAroundKeyAndValue", "[s]\r\n\tk\t=\tv\t\r\n", "s", "k", "d", 64, "v", 1},
    {"BlankLinesIgnored", "\r\n[s]\r\n   \r\n\r\nk=v\r\n", "s", "k", "d", 64, "v", 1},
    {"DoubleQuotesRemoved", "[s]\r\nk=\"v\"\r\n", "s", "k", "d", 64, "v", 1},
    {"SingleQuotesRemoved", "[s]\r\nk='v'\r\n", "s", "k", "d", 64, "v", 1},
    {"MismatchedQuotesKept", "[s]\r\nk=\"v'\r\n", "s", "k", "d", 64, "\"v'", 3},
    {"LoneQuoteKept", "[s]\r\nk=\"\r\n", "s", "k", "d", 64, "\"", 1},
    {"EmptyQuotes", "[s]\r\nk=\"\"\r\n", "s", "k", "d", 64, "", 0},
    {"OnlyOuterQuotesRemoved", "[s]\r\nk=\"a\"b\"\r\n", "s", "k", "d", 64, "a\"b", 3},
    {"SpacesInsideQuotesKept", "[s]\r\nk=\" a \"  \r\n", "s", "k", "d", 64, " a ", 3},
    {"EqualsInsideValue", "[s]\r\nk=a=b\r\n", "s", "k", "d", 64, "a=b", 3},
    {"SpaceInsideKey", "[s]\r\nk k=v\r\n", "s", "k k", "d", 64, "v", 1},
    {"NoInlineComments", "[s]\r\nk=1 ; c\r\n", "s", "k", "d", 64, "1 ; c", 5},
    {"EmptyValueIsNotMissing", "[s]\r\nk=\r\n", "s", "k", "d", 64, "", 0},
    {"LineWithoutEqualsHasNoValue", "[s]\r\nk\r\n", "s", "k", "d", 64, "d", 1},
    {"CommentDoesNotDefineKey", "[s]\r\n;k=1\r\n", "s", "k", "d", 64, "d", 1},
    {"CommentBeforeKey", "[s]\r\n;k=1\r\nk=2\r\n", "s", "k", "d", 64, "2", 1},
    {"CutToSizeMinusOne", "[s]\r\nk=abcdef\r\n", "s", "k", "d", 4, "abc", 3},
    {"SizeOne", "[s]\r\nk=abcdef\r\n", "s", "k", "d", 1, "", 0},
    {"SizeTwo", "[s]\r\nk=abcdef\r\n", "s", "k", "d", 2, "a", 1},
    {"ExactFit", "[s]\r\nk=abcdef\r\n", "s", "k", "d", 7, "abcdef", 6},
    {"QuotedCut", "[s]\r\nk=\"abcdef\"\r\n", "s", "k", "d", 4, "abc", 3},
    {"QuotedCutByOne", "[s]\r\nk=\"abcdef\"\r\n", "s", "k", "d", 6, "abcde", 5},
    {"QuotedExactFit", "[s]\r\nk=\"abcdef\"\r\n", "s", "k", "d", 7, "abcdef", 6, kWineQuotedFit},
    {"QuotedRoomToSpare", "[s]\r\nk=\"abcdef\"\r\n", "s", "k", "d", 8, "abcdef", 6},
    {"MissingKeyGivesDefault", "[s]\r\nk=v\r\n", "s", "x", "d", 64, "d", 1},
    {"MissingSectionGivesDefault", "[s]\r\nk=v\r\n", "t", "k", "d", 64, "d", 1},
    {"EmptyFileGivesDefault", "", "s", "k", "d", 64, "d", 1},
    {"DefaultTrailingSpacesRemoved", "[s]\r\n", "s", "x", "  d d  ", 64, "  d d", 5},
    {"DefaultTrailingTabKept", "[s]\r\n", "s", "x", "d\t", 64, "d\t", 2},
    {"DefaultAllSpaces", "[s]\r\n", "s", "x", "   ", 64, "", 0, kWineDefaultSpaces},
    {"DefaultNull", "[s]\r\n", "s", "x", nullptr, 64, "", 0},
    {"DefaultCut", "[s]\r\n", "s", "x", "defaultlong", 4, "def", 3},
    {"DefaultQuotesRemoved", "[s]\r\n", "s", "x", "\"dd\"", 64, "dd", 2},
    {"NamesIgnoreCase", "[SeC]\r\nKeY=v\r\n", "sEc", "kEy", "d", 64, "v", 1},
    {"CyrillicNamesIgnoreCase", "[\xC0\xC1]\r\n\xC2=v\r\n", "\xE0\xE1", "\xE2", "d", 64, "v", 1, kWineAsciiCase},
    {"FirstDuplicateKeyWins", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "d", 64, "1", 1},
    {"FirstDuplicateSectionWins", "[s]\r\na=1\r\n[s]\r\na=2\r\n", "s", "a", "d", 64, "1", 1},
    {"LaterDuplicateSectionUnread", "[s]\r\na=1\r\n[s]\r\nb=3\r\n", "s", "b", "d", 64, "d", 1},
    {"KeyOfOtherSectionUnseen", "[a]\r\nk=1\r\n[b]\r\nj=2\r\n", "b", "k", "d", 64, "d", 1},
    {"KeyInLaterSection", "[a]\r\nk=1\r\n[b]\r\nk=2\r\n", "b", "k", "d", 64, "2", 1},
    {"LfLineEnds", "[s]\nk=v\n[t]\nk=w\n", "t", "k", "d", 64, "w", 1},
    {"CrLineEnds", "[s]\rk=v\r[t]\rk=w\r", "t", "k", "d", 64, "w", 1},
    {"MixedLineEnds", "[s]\rk=v\n[t]\r\nk=w", "t", "k", "d", 64, "w", 1},
    {"NoFinalLineEnd", "[s]\r\nk=v", "s", "k", "d", 64, "v", 1},
    {"SpacesInsideBrackets", "[ s ]\r\nk=v\r\n", "s", "k", "d", 64, "v", 1},
    {"IndentedHeader", "   [s]  \r\nk=v\r\n", "s", "k", "d", 64, "v", 1},
    {"HeaderWithoutBracketIsNoSection", "[s\r\nk=v\r\n", "s", "k", "d", 64, "d", 1},
    {"TextAfterHeaderIgnored", "[s] junk\r\nk=v\r\n", "s", "k", "d", 64, "v", 1},
    {"LastBracketClosesHeader", "[s]x]\r\nk=v\r\n", "s]x", "k", "d", 64, "v", 1},
    {"ArgumentSpacesTrimmed", "[s]\r\nk=v\r\n", "  s  ", "  k  ", "d", 64, "v", 1},
    {"ArgumentTabsKept", "[s]\r\nk=v\r\n", "s\t", "k\t", "d", 64, "d", 1, kWineTrimsArguments},
    {"Utf8BomIsText", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "d", 64, "d", 1, kWineReadsBom},
    {"EightBitBytesUnchanged", "[s]\r\nk=\xCF\xF0\xE8\xE2\xE5\xF2 \x98\xFF\r\n", "s", "k", "d", 64,
     "\xCF\xF0\xE8\xE2\xE5\xF2 \x98\xFF", 9},
    {"NulEndsValue", "[s]\r\nk=a\0b\r\n"s, "s", "k", "d", 64, "a", 1},
};

class ReadKey : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadKey, ValueAndResult) {
    const ReadRow& row = GetParam();
    if (row.wineDiffers && ini_test::RunningUnderWine()) GTEST_SKIP() << row.wineDiffers;
    std::string path = FreshFile();
    WriteBytes(path, row.file);
    char buffer[128];
    std::memset(buffer, '#', sizeof buffer);
    DWORD result = GetPrivateProfileStringA(row.section, row.key, row.fallback, buffer, row.size, path.c_str());
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(Visible(buffer), Visible(row.expected));
    EXPECT_EQ(buffer[row.size], '#') << "wrote past the buffer";
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadKey, ::testing::ValuesIn(kReadRows),
                         [](const ::testing::TestParamInfo<ReadRow>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Lists: a NULL section lists the sections, a NULL key the keys of a section.

struct ListRow {
    const char* name;
    std::string file;
    const char* section;
    DWORD size;
    std::string expected;  // every byte up to and including the final NUL(s)
    DWORD result;
};

std::ostream& operator<<(std::ostream& out, const ListRow& row) { return out << row.name; }

const ListRow kListRows[] = {
    {"SectionNamesWithDuplicates", "[a]\r\nk=v\r\n[b]\r\n[a]\r\n", nullptr, 64, "a\0b\0a\0\0"s, 6},
    {"SectionNamesCut", "[abc]\r\n[def]\r\n", nullptr, 6, "abc\0\0"s, 4},
    {"SectionNamesOfEmptyFile", "", nullptr, 64, "\0"s, 0},
    {"KeyNamesSkipCommentsAndBareLines", "[a]\r\nk=v\r\n;c=1\r\nnoeq\r\nj=2\r\n[a]\r\nz=1\r\n", "a", 64,
     "k\0j\0\0"s, 4},
    {"KeyNamesCut", "[a]\r\nkey1=v\r\nkey2=2\r\n", "a", 7, "key1\0\0"s, 5},
    {"KeyNamesOfMissingSectionGiveDefault", "[a]\r\nk=v\r\n", "b", 64, "dd\0"s, 2},
};

class ListNames : public ::testing::TestWithParam<ListRow> {};

TEST_P(ListNames, BytesAndResult) {
    const ListRow& row = GetParam();
    std::string path = FreshFile();
    WriteBytes(path, row.file);
    char buffer[128];
    std::memset(buffer, '#', sizeof buffer);
    DWORD result = GetPrivateProfileStringA(row.section, nullptr, "dd", buffer, row.size, path.c_str());
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(Visible(std::string(buffer, row.expected.size())), Visible(row.expected));
    EXPECT_EQ(buffer[row.size], '#') << "wrote past the buffer";
}

INSTANTIATE_TEST_SUITE_P(Rows, ListNames, ::testing::ValuesIn(kListRows),
                         [](const ::testing::TestParamInfo<ListRow>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Writing: what lands in the file, byte for byte.

struct WriteRow {
    const char* name;
    std::optional<std::string> file;  // nullopt: no file before the write
    const char* section;
    const char* key;
    const char* value;
    BOOL result;
    std::optional<std::string> expected;  // nullopt: still no file
    const char* wineDiffers = nullptr;
};

std::ostream& operator<<(std::ostream& out, const WriteRow& row) { return out << row.name; }

const WriteRow kWriteRows[] = {
    {"CreatesFile", std::nullopt, "s", "k", "v", 1, "[s]\r\nk=v\r\n"},
    {"EmptyFile", "", "s", "k", "v", 1, "[s]\r\nk=v\r\n"},
    {"AppendsSection", "[a]\r\nx=1\r\n", "s", "k", "v", 1, "[a]\r\nx=1\r\n[s]\r\nk=v\r\n"},
    {"AppendsSectionAfterUnendedLine", "[a]\r\nx=1", "s", "k", "v", 1, "[a]\r\nx=1\r\n[s]\r\nk=v\r\n"},
    {"AppendsKeyAtEndOfSection", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n", "a", "k", "v", 1,
     "[a]\r\nx=1\r\nk=v\r\n[b]\r\ny=2\r\n"},
    {"AppendsKeyToEmptySection", "[a]\r\n[b]\r\n", "a", "k", "v", 1, "[a]\r\nk=v\r\n[b]\r\n"},
    {"AppendsKeyToFirstDuplicateSection", "[a]\r\n[a]\r\n", "a", "k", "v", 1, "[a]\r\nk=v\r\n[a]\r\n"},
    {"AppendsKeyAfterUnendedLine", "[a]\r\nx=1", "a", "k", "v", 1, "[a]\r\nx=1\r\nk=v\r\n"},
    {"ReplacesValueKeepingKeySpelling", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n", "A", "X", "v", 1,
     "[a]\r\nx=v\r\n[b]\r\ny=2\r\n"},
    {"ReplacesFirstDuplicateKey", "[a]\r\nx=1\r\nx=2\r\n", "a", "x", "9", 1, "[a]\r\nx=9\r\nx=2\r\n"},
    {"SameValueLeavesFileAlone", "[a]\n x = 1 \n\n", "a", "x", "1", 1, "[a]\n x = 1 \n\n"},
    {"KeepsComments", "; top\r\n[a]\r\n;c\r\nx=1\r\n", "a", "x", "2", 1, "; top\r\n[a]\r\n;c\r\nx=2\r\n"},
    {"GivesBareLineAValue", "[a]\r\nx\r\n", "a", "x", "2", 1, "[a]\r\nx=2\r\n"},
    {"EmptyValue", std::nullopt, "a", "x", "", 1, "[a]\r\nx=\r\n"},
    {"QuotesWrittenAsGiven", std::nullopt, "a", "x", "\"q\"", 1, "[a]\r\nx=\"q\"\r\n"},
    {"LeadingBlanksOfValueDropped", std::nullopt, "a", "x", "  v  ", 1, "[a]\r\nx=v  \r\n"},
    {"EightBitBytesAsGiven", std::nullopt, "\xC0", "\xC1", "\xC2\xFF \x98", 1, "[\xC0]\r\n\xC1=\xC2\xFF \x98\r\n"},
    {"DeletesKey", "[a]\r\nx=1\r\ny=2\r\n", "a", "x", nullptr, 1, "[a]\r\ny=2\r\n"},
    {"DeletesFirstDuplicateKeyOnly", "[a]\r\nx=1\r\nx=2\r\n[a]\r\nx=3\r\n", "a", "x", nullptr, 1,
     "[a]\r\nx=2\r\n[a]\r\nx=3\r\n"},
    {"DeletingMissingKeyChangesNothing", "[a]\r\nx=1\r\n", "a", "q", nullptr, 1, "[a]\r\nx=1\r\n"},
    {"DeletesSection", "[a]\r\nx=1\r\n; about b\r\n[b]\r\ny=2\r\n", "a", nullptr, nullptr, 1, "[b]\r\ny=2\r\n"},
    {"DeletesFirstDuplicateSectionOnly", "[a]\r\nx=1\r\n[b]\r\n[a]\r\nx=3\r\n", "a", nullptr, nullptr, 1,
     "[b]\r\n[a]\r\nx=3\r\n"},
    {"DeletingInMissingFileCreatesNothing", std::nullopt, "a", "x", nullptr, 1, std::nullopt},
    {"NullSectionFails", std::nullopt, nullptr, "x", "1", 0, std::nullopt},
    // Windows edits only what it must; Wine rewrites the file.
    {"KeepsSpacesAroundEquals", "[a]\r\nx = 1\r\n", "a", "x", "2", 1, "[a]\r\nx = 2\r\n", kWineRewrites},
    {"NewKeyBeforeBlankLines", "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "a", "k", "v", 1,
     "[a]\r\nx=1\r\nk=v\r\n\r\n[b]\r\ny=2\r\n", kWineRewrites},
    {"KeepsLfLineEnds", "[a]\nx=1\n", "a", "k", "v", 1, "[a]\nx=1\nk=v\r\n", kWineRewrites},
    {"KeepsCrLineEnds", "[a]\rx=1\r", "a", "x", "2", 1, "[a]\rx=2\r", kWineRewrites},
    {"KeepsEveryOtherByte", "; c\r\n\r\n[a]\r\n  x=1\r\n\r\n; tail\r\n", "a", "x", "2", 1,
     "; c\r\n\r\n[a]\r\n  x=2\r\n\r\n; tail\r\n", kWineRewrites},
    {"CreatedNamesLoseArgumentSpaces", std::nullopt, "  a  ", "  x  ", "2", 1, "[a]\r\nx=2\r\n",
     kWineTrimsArguments},
};

class WriteKey : public ::testing::TestWithParam<WriteRow> {};

TEST_P(WriteKey, FileBytesAndResult) {
    const WriteRow& row = GetParam();
    if (row.wineDiffers && ini_test::RunningUnderWine()) GTEST_SKIP() << row.wineDiffers;
    std::string path = FreshFile();
    if (row.file) WriteBytes(path, *row.file);
    EXPECT_EQ(WritePrivateProfileStringA(row.section, row.key, row.value, path.c_str()), row.result);
    std::optional<std::string> after = ReadBytes(path);
    ASSERT_EQ(after.has_value(), row.expected.has_value());
    if (after) {
        EXPECT_EQ(Visible(*after), Visible(*row.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, WriteKey, ::testing::ValuesIn(kWriteRows),
                         [](const ::testing::TestParamInfo<WriteRow>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Files that are not there, cannot be written, or are odd.

std::string Get(const std::string& path, const char* section, const char* key, const char* fallback = "d",
                DWORD size = 64, DWORD* result = nullptr) {
    std::vector<char> buffer(size + 1, '#');
    DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, path.c_str());
    if (result) *result = n;
    return std::string(buffer.data());
}

TEST(Files, MissingFileGivesDefaultAndIsNotCreated) {
    std::string path = FreshFile();
    DWORD result = 0;
    EXPECT_EQ(Get(path, "s", "k", "dd  ", 64, &result), "dd");
    EXPECT_EQ(result, 2u);
    EXPECT_FALSE(ini_test::Exists(path));
}

TEST(Files, SizeZeroTouchesNothing) {
    std::string path = FreshFile();
    WriteBytes(path, "[s]\r\nk=v\r\n");
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d", buffer, 0, path.c_str()), 0u);
    EXPECT_EQ(buffer[0], '#');
}

TEST(Files, WriteIntoMissingDirectoryFails) {
    std::string dir = Scratch().File("no-such-dir");
    std::string path = (std::filesystem::path(dir) / "x.ini").string();
    EXPECT_EQ(WritePrivateProfileStringA("a", "b", "c", path.c_str()), 0);
    EXPECT_FALSE(ini_test::Exists(dir));
}

TEST(Files, DirectoryInPlaceOfFile) {
    std::string path = FreshFile();
    std::filesystem::create_directory(path);
    EXPECT_EQ(WritePrivateProfileStringA("a", "b", "c", path.c_str()), 0);
    EXPECT_EQ(Get(path, "a", "b"), "d");
}

TEST(Files, WrittenValuesReadBack) {
    std::string path = FreshFile();
    struct {
        const char *section, *key, *value;
    } writes[] = {
        {"COMMON", "Interface", "2"},
        {"TIME", "HourM", "-6"},
        {"SLAVES", "C0", "\"quoted\""},
        {"SLAVES", "C1", "two  words"},
        {"RFM", "Freq[1].Comment", "\xCA\xE0\xED\xE0\xEB 1"},
        {"common", "INTERFACE", "3"},
    };
    for (const auto& row : writes) {
        ASSERT_EQ(WritePrivateProfileStringA(row.section, row.key, row.value, path.c_str()), 1) << row.key;
    }
    struct {
        const char *section, *key, *read;
    } reads[] = {
        {"COMMON", "Interface", "3"},
        {"TIME", "HourM", "-6"},
        {"SLAVES", "C0", "quoted"},
        {"SLAVES", "C1", "two  words"},
        {"RFM", "Freq[1].Comment", "\xCA\xE0\xED\xE0\xEB 1"},
    };
    for (const auto& row : reads) EXPECT_EQ(Get(path, row.section, row.key), row.read) << row.key;
    EXPECT_EQ(Visible(ReadBytes(path).value_or("")),
              Visible("[COMMON]\r\nInterface=3\r\n[TIME]\r\nHourM=-6\r\n[SLAVES]\r\nC0=\"quoted\"\r\n"
                      "C1=two  words\r\n[RFM]\r\nFreq[1].Comment=\xCA\xE0\xED\xE0\xEB 1\r\n"));
}

TEST(Files, HundredThousandCharacterLine) {
    std::string path = FreshFile();
    std::string longValue(100000, 'x');
    WriteBytes(path, "[s]\r\nlong=" + longValue + "\r\nk=v\r\n");
    DWORD result = 0;
    EXPECT_EQ(Get(path, "s", "long", "d", 2048, &result), std::string(2047, 'x'));
    EXPECT_EQ(result, 2047u);
    EXPECT_EQ(Get(path, "s", "k"), "v");
    ASSERT_EQ(WritePrivateProfileStringA("s", "k", "w", path.c_str()), 1);
    EXPECT_EQ(ReadBytes(path).value_or(""), "[s]\r\nlong=" + longValue + "\r\nk=w\r\n");
}

TEST(Files, BinaryBytes) {
    std::string path = FreshFile();
    std::string bytes;
    unsigned state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 24);
    }
    WriteBytes(path, bytes);
    char buffer[64];
    DWORD result = GetPrivateProfileStringA("s", "k", "d", buffer, sizeof buffer, path.c_str());
    EXPECT_LT(result, sizeof buffer);
    EXPECT_EQ(std::strlen(buffer), result);
    EXPECT_EQ(WritePrivateProfileStringA("zorvel", "k", "v", path.c_str()), 1);
    EXPECT_EQ(Get(path, "zorvel", "k"), "v");
}

}  // namespace
