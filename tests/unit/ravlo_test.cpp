// cRavlo against real loopback servers: Winsock under Wine, BSD sockets natively.
#include "ravlo/ravlo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "compat/profile.h"
#include "ravlo_loopback.h"

#ifdef _WIN32
#include <process.h>
#include <tlhelp32.h>
#else
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

using namespace std::chrono_literals;

const unsigned kErrorBox = 0x10 | 0x40000;  // error icon, on top, OK button
const RavloWindow kOwner = reinterpret_cast<RavloWindow>(static_cast<std::uintptr_t>(0x5a5a));

const int kStartNetwork = (loopback::StartNetwork(), 0);

struct Box {
    void* owner;
    std::string text;
    std::string caption;
    unsigned type;
};

// What the library hands to the host, from whatever thread it runs on.
struct Recorder {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Box> boxes;
    std::string received;
    int blocks = 0;
    bool terminated = true;                  // every block had a NUL behind it
    std::function<void()> onBlock;           // runs on the reading thread, before recording

    template <class Done>
    bool WaitUntil(Done done, std::chrono::milliseconds limit = 5000ms) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, limit, [&] { return done(); });
    }
};

Recorder* g_recorder = nullptr;

// Both recorders notify under the lock: a test that has seen the record may
// end at once, and the library's thread must not touch the recorder after that.
int RecordBox(void* owner, const char* text, const char* caption, unsigned type) {
    std::lock_guard<std::mutex> lock(g_recorder->mutex);
    g_recorder->boxes.push_back({owner, text, caption, type});
    g_recorder->changed.notify_all();
    return 1;
}

void RecordBlock(char* data, int count) {
    // The hook first: a test that has seen the block may end at once.
    if (g_recorder->onBlock) g_recorder->onBlock();
    std::lock_guard<std::mutex> lock(g_recorder->mutex);
    g_recorder->received.append(data, static_cast<std::size_t>(count));
    g_recorder->terminated = g_recorder->terminated && data[count] == '\0';
    ++g_recorder->blocks;
    g_recorder->changed.notify_all();
}

// Waits for a condition another thread brings about (not a timing check).
template <class Done>
bool Eventually(Done done, std::chrono::milliseconds limit = 5000ms) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Path(const std::string& name) { return std::string(cRavlo::dir_path) + name; }

std::string UniqueName(const char* kind) {
    static int counter = 0;
#ifdef _WIN32
    int pid = _getpid();
#else
    int pid = getpid();
#endif
    return "rvt" + std::to_string(pid) + "_" + std::to_string(++counter) + "." + kind;
}

std::string IniValue(const std::string& file, const char* key) {
    char value[64];
    GetPrivateProfileStringA("TCP", key, "<missing>", value, sizeof value, Path(file).c_str());
    return value;
}

// Threads of this process, and a measure of its open handles that grows with
// every leaked one: the descriptor count natively; on Windows the slot of a new
// handle, since handles (sockets included) take the lowest free slot and Wine
// does not count them.
struct Resources {
    long threads = 0;
    long handles = 0;
};

Resources CountResources() {
    Resources counted;
#ifdef _WIN32
    HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    counted.handles = static_cast<long>(reinterpret_cast<std::uintptr_t>(probe) / 4);
    CloseHandle(probe);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++counted.threads;
    CloseHandle(snapshot);
#else
    auto count = [](const char* folder) {
        long n = 0;
        if (DIR* dir = opendir(folder)) {
            while (dirent* entry = readdir(dir))
                if (entry->d_name[0] != '.') ++n;
            closedir(dir);
        }
        return n;
    };
    counted.threads = count("/proc/self/task");
    counted.handles = count("/proc/self/fd");
#endif
    return counted;
}

class RavloTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_recorder = &recorder;
        RavloSetNotifier(RecordBox);
        iniName = UniqueName("ini");
        tcp = std::make_unique<cRavlo>(iniName.c_str());
        logName = UniqueName("log");
        std::snprintf(tcp->LogFile, sizeof tcp->LogFile, "%s", logName.c_str());
        std::snprintf(tcp->IPv4, sizeof tcp->IPv4, "127.0.0.1");
        tcp->hWnd = kOwner;
        tcp->pRecvCallback = RecordBlock;
    }

    void TearDown() override {
        tcp.reset();
        RavloSetNotifier(nullptr);
        g_recorder = nullptr;
        std::remove(Path(iniName).c_str());
        std::remove(Path(logName).c_str());
    }

    // The log's texts, each line checked for its "MM/DD/YY HH:MM:SS: " stamp.
    std::vector<std::string> Log() {
        std::vector<std::string> lines;
        std::string text = ReadFile(Path(logName));
        std::size_t start = 0;
        for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            std::string line = text.substr(start, end - start);
            const char* pattern = "dd/dd/dd dd:dd:dd: ";
            bool stamped = line.size() >= std::strlen(pattern);
            for (std::size_t i = 0; stamped && pattern[i]; ++i)
                stamped = pattern[i] == 'd' ? line[i] >= '0' && line[i] <= '9' : line[i] == pattern[i];
            EXPECT_TRUE(stamped) << line;
            lines.push_back(stamped ? line.substr(std::strlen(pattern)) : line);
        }
        EXPECT_EQ(start, text.size()) << "unterminated log line";
        return lines;
    }

    std::vector<Box> Boxes() {
        std::lock_guard<std::mutex> lock(recorder.mutex);
        return recorder.boxes;
    }

    std::string Received() {
        std::lock_guard<std::mutex> lock(recorder.mutex);
        return recorder.received;
    }

    bool WaitReceived(std::size_t bytes) {
        return recorder.WaitUntil([&] { return recorder.received.size() >= bytes; });
    }

    Recorder recorder;
    std::string iniName, logName;
    std::unique_ptr<cRavlo> tcp;
};

// ---- settings, registry, pure helpers ----------------------------------------

TEST_F(RavloTest, SettingsDefaultWhenTheFileHasNoSectionAndAreWrittenBack) {
    EXPECT_STREQ(tcp->IPv4, "127.0.0.1");  // set by the fixture; the defaults are checked below
    std::string name = UniqueName("ini");
    WriteFile(Path(name), "[Other]\r\nIPv4=1.1.1.1\r\n");
    {
        cRavlo fresh(name.c_str());
        EXPECT_STREQ(fresh.IPv4, "192.168.1.1");
        EXPECT_EQ(fresh.Port, 80);
        EXPECT_STREQ(fresh.IniFile, name.c_str());
        EXPECT_EQ(fresh.LogFile[0], '\0');
        EXPECT_EQ(fresh.Socket, 0);
    }
    EXPECT_EQ(IniValue(name, "IPv4"), "192.168.1.1");
    EXPECT_EQ(IniValue(name, "Port"), "80");
    std::remove(Path(name).c_str());
}

TEST_F(RavloTest, SettingsAreReadByThePlainDecimalRuleAndCutToFifteenCharacters) {
    struct Case {
        const char* file;
        const char* ipv4;
        unsigned port;
        const char* portWritten;
    } cases[] = {
        {"[TCP]\r\nIPv4=10.0.0.7\r\nPort=502\r\n", "10.0.0.7", 502, "502"},
        {"[TCP]\r\nPort=70000\r\n", "192.168.1.1", 4464, "4464"},
        {"[TCP]\r\nPort=abc\r\n", "192.168.1.1", 0, "0"},
        {"[TCP]\r\nPort=81x\r\n", "192.168.1.1", 81, "81"},
        {"[TCP]\r\nIPv4=0123456789abcdefXYZ\r\n", "0123456789abcde", 80, "80"},
        {"[TCP]\r\nIPv4=board.local\r\n", "board.local", 80, "80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string name = UniqueName("ini");
        WriteFile(Path(name), c.file);
        {
            cRavlo object(name.c_str());
            EXPECT_STREQ(object.IPv4, c.ipv4);
            EXPECT_EQ(object.Port, c.port);
        }
        EXPECT_EQ(IniValue(name, "IPv4"), c.ipv4);
        EXPECT_EQ(IniValue(name, "Port"), c.portWritten);
        std::remove(Path(name).c_str());
    }
}

TEST_F(RavloTest, SettingsChangedByTheHostAreWrittenAtDestruction) {
    std::snprintf(tcp->IPv4, sizeof tcp->IPv4, "10.1.2.3");
    tcp->Port = 8080;
    tcp.reset();
    EXPECT_EQ(IniValue(iniName, "IPv4"), "10.1.2.3");
    EXPECT_EQ(IniValue(iniName, "Port"), "8080");
}

TEST_F(RavloTest, RegistryKeepsLiveObjectsInOrderAndNeverOverflows) {
    ASSERT_EQ(cRavlo::ObjectsC, 1);
    EXPECT_EQ(cRavlo::pObjects[0], tcp.get());
    std::vector<std::string> names;
    std::vector<std::unique_ptr<cRavlo>> more;
    auto add = [&] {
        names.push_back(UniqueName("ini"));
        more.push_back(std::make_unique<cRavlo>(names.back().c_str()));
    };
    for (int i = 0; i < 3; ++i) add();
    ASSERT_EQ(cRavlo::ObjectsC, 4);
    cRavlo* third = more[2].get();
    more[1].reset();  // the entries behind it move down
    EXPECT_EQ(cRavlo::ObjectsC, 3);
    EXPECT_EQ(cRavlo::pObjects[1], more[0].get());
    EXPECT_EQ(cRavlo::pObjects[2], third);

    while (cRavlo::ObjectsC < 255) add();
    add();  // the 256th is not registered
    EXPECT_EQ(cRavlo::ObjectsC, 255);
    EXPECT_EQ(std::count(cRavlo::pObjects, cRavlo::pObjects + 255, more.back().get()), 0);
    more.back().reset();  // and unregistering it changes nothing
    EXPECT_EQ(cRavlo::ObjectsC, 255);
    EXPECT_EQ(cRavlo::pObjects[254], more[more.size() - 2].get());

    more.clear();
    EXPECT_EQ(cRavlo::ObjectsC, 1);
    EXPECT_EQ(cRavlo::pObjects[0], tcp.get());
    for (const std::string& name : names) std::remove(Path(name).c_str());
}

TEST(RavloStatic, Ipv4SplitTakesGroupsOfUpToThreeCharacters) {
    const int u = 77;  // a destination left unchanged
    struct Case {
        const char* text;
        bool result;
        int a, b, c, d;
    } cases[] = {
        {"192.168.1.10", true, 192, 168, 1, 10},
        {"1.2.3", true, 1, 2, 3, u},
        {"1.2.3.4.5", true, 1, 2, 3, 4},
        {"256.0.0.1", false, u, u, u, u},
        {"1000.0.0.1", false, u, u, u, u},
        {"", true, 0, u, u, u},
        {"1.2.3.256", false, 1, 2, 3, u},
        {"1.2.3.4.999", false, 1, 2, 3, 4},
        {"1.2.3.4.1000", false, 1, 2, 3, 4},
        {"255.255.255.255", true, 255, 255, 255, 255},
        {"1..3", true, 1, 0, 3, u},
        {"a.b.c.d", true, 0, 0, 0, 0},
        {"12x.0.0.1", true, 12, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        unsigned char a = u, b = u, cc = u, d = u;
        EXPECT_EQ(cRavlo::IPv4_Split(c.text, &a, &b, &cc, &d), c.result);
        EXPECT_EQ(a, c.a);
        EXPECT_EQ(b, c.b);
        EXPECT_EQ(cc, c.c);
        EXPECT_EQ(d, c.d);
    }
}

TEST(RavloStatic, VersionIsCopiedWithItsTerminator) {
    char version[16];
    std::memset(version, 'x', sizeof version);
    cRavlo::GetVersion(version);
    EXPECT_STREQ(version, "1.00.00");
}

std::string ErrorText(std::uint32_t code) {
    char text[128];
    RavloErrorText(code, text, sizeof text);
    return text;
}

TEST(RavloStatic, ErrorTextsAreTheOperatorsOrTheNumber) {
    struct Case {
        std::uint32_t code;
        const char* text;
    } cases[] = {
        {8, "Недостаточно памяти для выполнения команды"},
        {10013, "Доступ запрещен"},
        {10024, "Слишком много открытых сокетов"},
        {10035, "Ресурс временно недоступен"},
        {10043, "Протокол не поддерживается"},
        {10046, "Семейство протоколов не поддерживается"},
        {10048, "IP адрес/порт уже используется"},
        {10050, "Сеть обрушена"},
        {10051, "Не удается обнаружить сетевой узел"},
        {10052, "Сеть сбросила соединение"},
        {10053, "Приложение сбросило соединение"},
        {10054, "Удаленный хост сбросил соединение"},
        {10057, "Сокет не подключен"},
        {10058, "Сокет был остановлен"},
        {10060, "Превышено время ожидания отклика сервера"},
        {10061, "На сокете нет запущенных серверов"},
        {10067, "Слишком много процессов работают с сетью"},
        {10092, "Winsock.dll устаревшей версии"},
        {10055, "10055"},
        {10004, "10004"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorText(c.code), c.text) << c.code;

    char small[6];
    EXPECT_EQ(RavloErrorText(10055, small, 3), 5u);
    EXPECT_STREQ(small, "10");
}

TEST(RavloStatic, ErrorTextOfZeroIsTheCallingThreadsCurrentError) {
#ifdef _WIN32
    struct Case {
        int current;
        const char* text;
    } cases[] = {{10061, "На сокете нет запущенных серверов"}, {10055, "10055"}};
    for (const Case& c : cases) {
        WSASetLastError(c.current);
        EXPECT_EQ(ErrorText(0), c.text);
    }
#else
    // errno values are carried as the Winsock codes of the same meaning.
    struct Case {
        int current;
        const char* text;
    } cases[] = {
        {ECONNREFUSED, "На сокете нет запущенных серверов"},
        {ETIMEDOUT, "Превышено время ожидания отклика сервера"},
        {ECONNRESET, "Удаленный хост сбросил соединение"},
        {ENETUNREACH, "Не удается обнаружить сетевой узел"},
        {EADDRINUSE, "IP адрес/порт уже используется"},
        {EACCES, "Доступ запрещен"},
        {EMFILE, "Слишком много открытых сокетов"},
        {ENOMEM, "Недостаточно памяти для выполнения команды"},
        {EAGAIN, "Ресурс временно недоступен"},
        {ENOBUFS, "10055"},
        {EHOSTUNREACH, "10065"},
    };
    for (const Case& c : cases) {
        errno = c.current;
        EXPECT_EQ(ErrorText(0), c.text) << c.current;
    }
#endif
}

TEST_F(RavloTest, LogLinesAreStampedAndAFullLengthLogNameStaysInsideItsBuffer) {
    tcp->LogAdd("first");
    tcp->LogAdd("");
    EXPECT_EQ(Log(), (std::vector<std::string>{"first", ""}));

    std::memset(tcp->LogFile, 'L', sizeof tcp->LogFile);  // no terminator at all
    tcp->LogAdd("long name");
    std::string longName(sizeof tcp->LogFile, 'L');
    EXPECT_NE(ReadFile(Path(longName)).find(": long name\r\n"), std::string::npos);
    std::remove(Path(longName).c_str());
    tcp->LogFile[0] = '\0';  // logging off: nothing is written anywhere
    tcp->LogAdd("dropped");
    EXPECT_EQ(ReadFile(Path(logName)).find("dropped"), std::string::npos);
}

// ---- connections -----------------------------------------------------------------

TEST_F(RavloTest, ExchangesCommandAndReplyWithTheReaderRunning) {
    loopback::Listener server;
    tcp->Port = server.Port();
    ASSERT_TRUE(tcp->Open(true, true));
    loopback::Peer board = server.Accept();
    ASSERT_TRUE(board.Valid());
    EXPECT_NE(tcp->Socket, 0);
    EXPECT_EQ(tcp->ConnectState, 1);

    EXPECT_TRUE(tcp->Send("read status\r", 12));
    EXPECT_EQ(board.Receive(12), "read status\r");

    const std::string reply("Ver:10.1\r\0tail\r", 15);  // NULs inside reach the host whole
    board.Send(reply);
    ASSERT_TRUE(WaitReceived(reply.size()));
    EXPECT_EQ(Received(), reply);
    EXPECT_TRUE(recorder.terminated);
    EXPECT_EQ(tcp->RecvC, reply.size());  // the fixture's callback leaves RecvC alone
    EXPECT_EQ(std::string(tcp->RecvBuf, tcp->RecvC + 1), reply + '\0');

    EXPECT_TRUE(tcp->Close());
    EXPECT_EQ(tcp->Socket, 0);
    EXPECT_TRUE(board.WaitClosed());
    EXPECT_EQ(Log(), (std::vector<std::string>{"Connected to 127.0.0.1", "Send: read status\r", "Recv: Ver:10.1\r",
                                               "Closed"}));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(RavloTest, SendLogsUpToTheFirstNulButSendsEveryByte) {
    loopback::Listener server;
    tcp->Port = server.Port();
    ASSERT_TRUE(tcp->Open(false, true));
    loopback::Peer board = server.Accept();
    struct Case {
        std::string data;
        unsigned long count;
        const char* logged;
        std::string sent;
    } cases[] = {
        {std::string("ab\0cd", 5), 5, "Send: ab", std::string("ab\0cd", 5)},
        {"abcdef", 3, "Send: abc", "abc"},
        {std::string("\0x", 2), 2, "Send: ", std::string("\0x", 2)},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(tcp->Send(c.data.data(), c.count));
        EXPECT_EQ(board.Receive(c.sent.size()), c.sent);
        EXPECT_EQ(Log().back(), c.logged);
    }
}

TEST_F(RavloTest, OpenWithoutReaderDeliversNothingAndLogsNoConnectedLine) {
    loopback::Listener server;
    tcp->Port = server.Port();
    ASSERT_TRUE(tcp->Open(true, false));
    loopback::Peer board = server.Accept();
    ASSERT_TRUE(board.Valid());
    board.Send("Ok\r");
    EXPECT_TRUE(tcp->Send("x", 1));
    EXPECT_EQ(board.Receive(1), "x");
    tcp->Close();
    EXPECT_EQ(recorder.blocks, 0);
    EXPECT_EQ(tcp->RecvC, 0u);
    EXPECT_EQ(Log(), (std::vector<std::string>{"Send: x", "Closed"}));
}

TEST_F(RavloTest, OpenOnAnOpenConnectionClosesItAndConnectsAnew) {
    loopback::Listener server;
    tcp->Port = server.Port();
    ASSERT_TRUE(tcp->Open(true, true));
    loopback::Peer first = server.Accept();
    ASSERT_TRUE(tcp->Open(true, true));
    EXPECT_TRUE(first.WaitClosed());
    loopback::Peer second = server.Accept();
    ASSERT_TRUE(second.Valid());
    second.Send("2");
    ASSERT_TRUE(WaitReceived(1));
    EXPECT_EQ(Log(), (std::vector<std::string>{"Connected to 127.0.0.1", "Closed", "Connected to 127.0.0.1", "Recv: 2"}));
}

TEST_F(RavloTest, RefusedConnectFailsWithTheTextOf10061) {
    for (bool showMessages : {false, true}) {
        SCOPED_TRACE(showMessages);
        loopback::Listener refusing(false);
        tcp->Port = refusing.Port();
        std::remove(Path(logName).c_str());
        EXPECT_FALSE(tcp->Open(showMessages, true));
        EXPECT_EQ(tcp->Socket, 0);
        EXPECT_EQ(tcp->ConnectState, 0);
        EXPECT_EQ(tcp->LastError, 10061u);
        const char* text = "Ошибка соединения На сокете нет запущенных серверов";
        // The log is Windows-1251 text, the message box UTF-8 as every text of the library.
        EXPECT_EQ(Log(), std::vector<std::string>{"\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE5\xE4\xE8\xED\xE5\xED\xE8\xFF \xCD\xE0 \xF1\xEE\xEA\xE5\xF2\xE5 \xED\xE5\xF2 \xE7\xE0\xEF\xF3\xF9\xE5\xED\xED\xFB\xF5 \xF1\xE5\xF0\xE2\xE5\xF0\xEE\xE2"});
        std::vector<Box> boxes = Boxes();
        ASSERT_EQ(boxes.size(), showMessages ? 1u : 0u);
        if (showMessages) {
            EXPECT_EQ(boxes[0].text, text);
            EXPECT_EQ(boxes[0].caption, "Ошибка TCP");
            EXPECT_EQ(boxes[0].type, kErrorBox);
            EXPECT_EQ(boxes[0].owner, static_cast<void*>(kOwner));
        }
    }
}

TEST_F(RavloTest, AnUnknownHostIsAnInvalidAddress) {
    std::snprintf(tcp->IPv4, sizeof tcp->IPv4, "no such host!");
    EXPECT_FALSE(tcp->Open(true, true));
    EXPECT_EQ(tcp->Socket, 0);
    EXPECT_EQ(Log(), std::vector<std::string>{"Invalid adress no such host!"});
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Invalid adress no such host!");
    EXPECT_EQ(boxes[0].caption, "Ошибка TCP");
}

TEST_F(RavloTest, AHostNameResolvesAndTheDisconnectNamesIt) {
    loopback::Listener server;
    tcp->Port = server.Port();
    std::snprintf(tcp->IPv4, sizeof tcp->IPv4, "localhost");
    ASSERT_TRUE(tcp->Open(true, true));
    EXPECT_STREQ(tcp->HostName, "localhost");
    loopback::Peer board = server.Accept();
    board.Close();
    ASSERT_TRUE(Eventually([&] { return tcp->Socket == 0; }));
    EXPECT_EQ(Log().back(), "Disconnected: 127.0.0.1 localhost");
}

TEST_F(RavloTest, PeerCloseEndsTheReaderAndLaterSendsStillSucceed) {
    loopback::Listener server;
    tcp->Port = server.Port();
    ASSERT_TRUE(tcp->Open(true, true));
    loopback::Peer board = server.Accept();
    board.Close();
    ASSERT_TRUE(Eventually([&] { return tcp->Socket == 0; }));
    EXPECT_TRUE(tcp->Send("read status\r", 12));
    EXPECT_TRUE(tcp->Close());
    EXPECT_EQ(Log(), (std::vector<std::string>{"Connected to 127.0.0.1", "Disconnected: 127.0.0.1 ",
                                               "Send: read status\r", "Closed"}));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(RavloTest, CloseAndSendOnANeverOpenedObject) {
    EXPECT_TRUE(tcp->Close());
    EXPECT_TRUE(tcp->Close());
    EXPECT_TRUE(tcp->Send("x", 1));
    EXPECT_EQ(Log(), (std::vector<std::string>{"Closed", "Closed", "Send: x"}));
}

TEST_F(RavloTest, ABlockThatWouldPassTheBufferEndStartsTheAccumulationAnew) {
    loopback::Listener server;
    tcp->Port = server.Port();
    // The count is forced from inside the callback, on the reading thread, as a host would.
    std::atomic<std::uint32_t> stale{0};
    recorder.onBlock = [&] {
        if (std::uint32_t forced = stale.exchange(0)) tcp->RecvC = forced;
    };
    ASSERT_TRUE(tcp->Open(true, true));
    loopback::Peer board = server.Accept();
    const std::string data(1000, 'd');
    for (std::uint32_t forced : {65000u, 0xFFFFFFF0u}) {
        SCOPED_TRACE(forced);
        stale = forced;
        std::size_t before = Received().size();
        board.Send("m");
        ASSERT_TRUE(WaitReceived(before + 1));
        board.Send(data);
        ASSERT_TRUE(WaitReceived(before + 1 + data.size()));
        EXPECT_EQ(tcp->RecvC, data.size());
        EXPECT_EQ(std::string(tcp->RecvBuf, tcp->RecvC + 1), data + '\0');
    }
}

TEST_F(RavloTest, ACloseFromAnotherThreadEndsTheWaitingOpen) {
    loopback::Listener stalled(true, 0);
    ASSERT_TRUE(stalled.Stall());
    tcp->Port = stalled.Port();
    std::thread host([&] {
        if (Eventually([&] { return tcp->ConnectState == 2 && tcp->hThreadConnect.load(); })) tcp->Close();
    });
    EXPECT_FALSE(tcp->Open(true, true));
    host.join();
    EXPECT_EQ(tcp->Socket, 0);
    EXPECT_EQ(tcp->hThreadConnect.load(), RavloThread());
    EXPECT_EQ(Log(), (std::vector<std::string>{"Closed", "Closed"}));
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Соединение прекращено");
    EXPECT_EQ(boxes[0].caption, "Ошибка TCP");
}

TEST_F(RavloTest, AConnectThatNeverCompletesTimesOutWithTheTextOf10060) {
    loopback::Listener stalled(true, 0);
    ASSERT_TRUE(stalled.Stall());
    tcp->Port = stalled.Port();
    unsigned previous = RavloSetConnectTimeout(300);
    EXPECT_EQ(previous, 10000u);
    EXPECT_FALSE(tcp->Open(true, true));
    RavloSetConnectTimeout(previous);
    EXPECT_EQ(tcp->Socket, 0);
    EXPECT_EQ(tcp->LastError, 10060u);
    const char* text = "Ошибка соединения Превышено время ожидания отклика сервера";
    EXPECT_EQ(Log(), std::vector<std::string>{"\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE5\xE4\xE8\xED\xE5\xED\xE8\xFF \xCF\xF0\xE5\xE2\xFB\xF8\xE5\xED\xEE \xE2\xF0\xE5\xEC\xFF \xEE\xE6\xE8\xE4\xE0\xED\xE8\xFF \xEE\xF2\xEA\xEB\xE8\xEA\xE0 \xF1\xE5\xF0\xE2\xE5\xF0\xE0"});
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
}

TEST_F(RavloTest, ACloseFromInsideTheCallbackEndsTheConnection) {
    loopback::Listener server;
    tcp->Port = server.Port();
    std::atomic<bool> closed{false};
    recorder.onBlock = [&] {
        tcp->Close();
        closed = true;
    };
    ASSERT_TRUE(tcp->Open(true, true));
    loopback::Peer board = server.Accept();
    board.Send("Ok\r");
    ASSERT_TRUE(Eventually([&] { return closed.load(); }));
    EXPECT_EQ(tcp->Socket, 0);
    EXPECT_TRUE(board.WaitClosed());
    board.Send("late");  // nobody reads any more
    ASSERT_TRUE(Eventually([&] { return !tcp->hThreadRead.load(); }));
    EXPECT_EQ(recorder.blocks, 1);
    EXPECT_EQ(Log(), (std::vector<std::string>{"Connected to 127.0.0.1", "Recv: Ok\r", "Closed"}));
}

TEST_F(RavloTest, ReopeningFromInsideTheCallbackHandsOverToANewReader) {
    loopback::Listener server;
    tcp->Port = server.Port();
    std::atomic<int> reopened{0};
    recorder.onBlock = [&] {
        if (reopened == 0) reopened = tcp->Open(false, true) ? 1 : -1;
    };
    ASSERT_TRUE(tcp->Open(true, true));
    loopback::Peer first = server.Accept();
    first.Send("1");
    loopback::Peer second = server.Accept();
    ASSERT_TRUE(second.Valid());
    ASSERT_TRUE(Eventually([&] { return reopened != 0; }));
    EXPECT_EQ(reopened, 1);
    EXPECT_TRUE(first.WaitClosed());
    second.Send("2");
    ASSERT_TRUE(WaitReceived(2));
    EXPECT_EQ(Received(), "12");
}

TEST_F(RavloTest, AnExceptionInTheCallbackClosesAndIsShownWithoutOwner) {
    loopback::Listener server;
    tcp->Port = server.Port();
    recorder.onBlock = [] { throw std::runtime_error("host failure"); };
    ASSERT_TRUE(tcp->Open(true, true));
    loopback::Peer board = server.Accept();
    board.Send("Ok\r");
    ASSERT_TRUE(recorder.WaitUntil([&] { return !recorder.boxes.empty(); }));
    EXPECT_EQ(tcp->Socket, 0);
    EXPECT_TRUE(board.WaitClosed());
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].text, "Exception in ThreadProcRead");
    EXPECT_EQ(boxes[0].caption, "cRavlo Error");
    EXPECT_EQ(boxes[0].type, kErrorBox);
    EXPECT_EQ(Log(), (std::vector<std::string>{"Connected to 127.0.0.1", "Recv: Ok\r", "Exception in ThreadProcRead",
                                               "Closed", "Disconnected: 127.0.0.1 "}));
}

// A peer that stops reading: the blocked Send is this object's alone. Another
// object sends and closes meanwhile, a Close from another thread ends the
// blocked Send, and with no Close it ends once its time limit has passed.
TEST_F(RavloTest, ASendToAPeerThatStopsReadingBlocksNothingElseAndEnds) {
    loopback::Listener server;
    tcp->Port = server.Port();
    tcp->LogFile[0] = '\0';
    const std::string flood(64u << 20, 'x');  // far more than both sides' socket buffers
    const unsigned previous = RavloSetSendTimeout(10u * 60u * 1000u);
    EXPECT_EQ(previous, 5000u);

    ASSERT_TRUE(tcp->Open(false, true));
    loopback::Peer deaf = server.Accept();  // never reads
    auto blocked = std::async(std::launch::async, [&] { return tcp->Send(flood.data(), flood.size()); });
    ASSERT_EQ(blocked.wait_for(200ms), std::future_status::timeout) << "the peer's buffers took it all";

    const std::string otherIni = UniqueName("ini");
    auto other = std::make_unique<cRavlo>(otherIni.c_str());
    std::snprintf(other->IPv4, sizeof other->IPv4, "127.0.0.1");
    other->Port = server.Port();
    auto meanwhile = std::async(std::launch::async, [&] {
        bool opened = other->Open(false, true);
        bool sent = other->Send("read status\r", 12);
        other->Close();
        return opened && sent;
    });
    loopback::Peer board = server.Accept();
    ASSERT_EQ(meanwhile.wait_for(30s), std::future_status::ready) << "another object waited for the blocked Send";
    EXPECT_TRUE(meanwhile.get());
    EXPECT_EQ(board.Receive(12), "read status\r");
    other.reset();
    std::remove(Path(otherIni).c_str());

    tcp->Close();  // from this thread, while the Send blocks on another
    ASSERT_EQ(blocked.wait_for(30s), std::future_status::ready) << "Close did not end the blocked Send";
    EXPECT_TRUE(blocked.get());
    EXPECT_EQ(tcp->Socket, 0);

    RavloSetSendTimeout(300);
    ASSERT_TRUE(tcp->Open(false, true));
    loopback::Peer deafAgain = server.Accept();
    EXPECT_TRUE(tcp->Send(flood.data(), flood.size()));  // returns once the limit has passed
    RavloSetSendTimeout(previous);
    tcp->Close();
}

// The reading thread's own end and the host's Close meet in every order.
TEST_F(RavloTest, PeerCloseAndCallbackCloseRaceTheHostsClose) {
    loopback::Listener server;
    tcp->Port = server.Port();
    tcp->LogFile[0] = '\0';
    Resources before{};
    for (int round = 0; round < 60; ++round) {
        if (round == 2) before = CountResources();  // after the platform's first-use allocations
        recorder.onBlock = round % 2 ? std::function<void()>([this] { tcp->Close(); }) : nullptr;
        ASSERT_TRUE(tcp->Open(false, true));
        loopback::Peer board = server.Accept();
        if (round % 2)
            board.Send("x");
        else
            board.Close();
        tcp->Close();
        EXPECT_EQ(tcp->Socket, 0);
    }
    recorder.onBlock = nullptr;
    EXPECT_TRUE(Eventually([&] { return CountResources().threads <= before.threads; }));
    EXPECT_LE(CountResources().handles, before.handles);
}

TEST_F(RavloTest, AThousandCyclesLeaveNoSocketThreadOrHandleBehind) {
    loopback::Listener server;
    tcp->Port = server.Port();
    tcp->LogFile[0] = '\0';
    tcp->pRecvCallback = nullptr;
    Resources before{};
    for (int cycle = 0; cycle < 1000; ++cycle) {
        if (cycle == 2) before = CountResources();  // after the platform's first-use allocations
        ASSERT_TRUE(tcp->Open(false, true)) << cycle;
        loopback::Peer board = server.Accept();
        ASSERT_TRUE(tcp->Send("read status\r", 12));
        ASSERT_EQ(board.Receive(12), "read status\r");
        board.Send("Ok\r");
        ASSERT_TRUE(tcp->Close());
    }
    Resources after = CountResources();
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_LE(after.handles, before.handles);
    EXPECT_TRUE(Boxes().empty());
}

#ifndef _WIN32
TEST_F(RavloTest, ASocketThatCannotBeCreatedIsReported) {
    // Descriptors end at the lowest free one, so the next socket fails with EMFILE.
    int lowestFree = dup(0);
    ASSERT_GE(lowestFree, 0);
    close(lowestFree);
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    rlimit lowered = saved;
    lowered.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    bool opened = tcp->Open(true, true);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_FALSE(opened);
    EXPECT_EQ(tcp->Socket, 0);
    // The log file could not be opened either, for the same reason.
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Socket error Слишком много открытых сокетов");
}
#endif

}  // namespace
