// The TCP client transport: connects to the board's network adapter, sends
// command text and hands every received block to the host's callback on a
// reading thread of its own. A DLL on Windows, a shared library natively.
//
// Members shared with the worker threads (ConnectState, Socket, the thread
// handles and ids) are atomics, so the host may poll them from its own thread;
// they read and assign like the plain integers they stand for.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <netinet/in.h>
#include <pthread.h>
#endif

#ifdef _WIN32
#ifdef RAVLO_BUILDING
#define RAVLO_API __declspec(dllexport)
#else
#define RAVLO_API __declspec(dllimport)
#endif
#else
#define RAVLO_API __attribute__((visibility("default")))
#endif

#ifdef _WIN32
typedef SOCKET RavloSocket;           // 0 when no socket is open
typedef HANDLE RavloThread;           // 0 when no thread runs
typedef HWND RavloWindow;
typedef CRITICAL_SECTION RavloLock;
typedef DWORD RavloThreadResult;
#define RAVLO_THREAD_CALL WINAPI
#else
typedef int RavloSocket;              // 0 when no socket is open
typedef pthread_t RavloThread;        // 0 when no thread runs
typedef void* RavloWindow;            // opaque: there are no windows natively
typedef pthread_mutex_t RavloLock;
typedef std::uint32_t RavloThreadResult;
#define RAVLO_THREAD_CALL
#endif

// The host's receive callback: the block just received (NUL-terminated behind
// its last byte, valid only during the call) and its length in bytes.
typedef void (*RavloRecvCallback)(char* data, int count);

class RAVLO_API cRavlo {
public:
    // An empty iniFile: no settings file is read or written (192.168.1.1:80
    // until the owner sets IPv4 and Port).
    explicit cRavlo(const char* iniFile);
    ~cRavlo();
    cRavlo(const cRavlo&) = delete;
    cRavlo& operator=(const cRavlo&) = delete;

    // Connects to IPv4:Port; blocks until connected or failed, handling the
    // caller's window messages meanwhile. Reports failures in message boxes
    // when showMessages; starts the reading thread when startReader.
    bool Open(bool showMessages, bool startReader);
    // Ends the connection and both threads. Always true.
    bool Close();
    // Sends count bytes; true unless an exception occurred (send errors are not reported).
    bool Send(const char* data, unsigned long count);
    // Appends one line to the log when LogFile is set.
    void LogAdd(const char* text);

    static void GetVersion(char* destination);
    static bool IPv4_Split(const char* const text, unsigned char* a, unsigned char* b, unsigned char* c,
                           unsigned char* d);
    static RavloThreadResult RAVLO_THREAD_CALL ThreadProcConnect(void* object);
    static RavloThreadResult RAVLO_THREAD_CALL ThreadProcRead(void* object);

    std::uint32_t LastError;                    // Winsock code of the last failed connect; 0 when none
    std::atomic<std::uint8_t> ConnectState;     // 2 connecting, 1 connected, 0 failed
    sockaddr_in Addr;
    char HostName[256];                         // resolved official name; empty for a dotted address
    RavloWindow hWnd;                           // owner of the message boxes (host's)
    char IniFile[40];
    char LogFile[40];                           // relative to dir_path; empty: no log
    char IPv4[16];                              // dotted address or host name
    std::uint16_t Port;
    std::atomic<RavloSocket> Socket;
    char RecvBuf[65536];
    std::uint32_t RecvC;
    RavloRecvCallback pRecvCallback;
    RavloLock csLog;
    std::atomic<std::uint32_t> ThreadReadID;
    std::atomic<RavloThread> hThreadRead;
    std::atomic<std::uint32_t> ThreadConnectID;
    std::atomic<RavloThread> hThreadConnect;

    // Sends under way on this object. A socket taken out of the object is
    // closed only once no Send uses it any more (each Send notices within
    // a short round that it was taken, and stops).
    struct SendGate {
        std::mutex lock;
        std::condition_variable idle;
        unsigned users = 0;
    } Sending;

    static char version[8];
    static char dir_path[256];
    static cRavlo* pObjects[255];
    static std::uint8_t ObjectsC;
};

// Every message box of the library goes through one notifier: the platform's
// message box on Windows, standard error natively. Tests install a recorder.
// Returns the previous notifier; nullptr restores the default.
typedef int (*RavloNotifier)(void* owner, const char* text, const char* caption, unsigned type);
extern "C" RAVLO_API RavloNotifier RavloSetNotifier(RavloNotifier notifier);

// Time a connect may take before it fails with code 10060 (10 000 ms unless
// changed). Returns the previous value.
extern "C" RAVLO_API unsigned RavloSetConnectTimeout(unsigned milliseconds);

// Time a Send may take before it gives up the rest of its bytes (5 000 ms
// unless changed): a peer that stops reading cannot hold the caller for
// longer. Returns the previous value.
extern "C" RAVLO_API unsigned RavloSetSendTimeout(unsigned milliseconds);

// The operator's text for a Winsock error code (0: the calling thread's
// current error), written NUL-terminated into destination; returns its length.
extern "C" RAVLO_API std::size_t RavloErrorText(std::uint32_t code, char* destination, std::size_t size);
