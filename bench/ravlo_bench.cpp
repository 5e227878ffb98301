// cRavlo over loopback, as the program uses it: a 12-byte command answered by
// a 300-byte reply (connection already open), and Open(false, true) + Close.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "ravlo/ravlo.h"
#include "ravlo_loopback.h"

namespace {

std::mutex g_mutex;
std::condition_variable g_arrived;
std::size_t g_received = 0;
cRavlo* g_tcp = nullptr;

// Like the program's callback: take the block, reset the library's count.
void ReceiveData(char*, int count) {
    g_tcp->RecvC = 0;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_received += static_cast<std::size_t>(count);
    g_arrived.notify_one();
}

struct Client {
    explicit Client(std::uint16_t port) : tcp("bench_ravlo.ini") {
        std::snprintf(tcp.IPv4, sizeof tcp.IPv4, "127.0.0.1");
        tcp.Port = port;
        tcp.pRecvCallback = ReceiveData;
        g_tcp = &tcp;
    }
    ~Client() {
        g_tcp = nullptr;
        std::remove((std::string(cRavlo::dir_path) + "bench_ravlo.ini").c_str());
    }
    cRavlo tcp;
};

void BM_CommandReplyRoundTrip(benchmark::State& state) {
    loopback::Listener server;
    Client client(server.Port());
    if (!client.tcp.Open(false, true)) return state.SkipWithError("open failed");
    loopback::Peer board = server.Accept();
    const std::string reply(300, 'r');
    std::thread answering([&] {
        while (board.Receive(12).size() == 12) board.Send(reply);
    });
    for (auto _ : state) {
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            g_received = 0;
        }
        client.tcp.Send("read status\r", 12);
        std::unique_lock<std::mutex> lock(g_mutex);
        g_arrived.wait(lock, [] { return g_received >= 300; });
    }
    client.tcp.Close();
    answering.join();
}
BENCHMARK(BM_CommandReplyRoundTrip)->UseRealTime();

void BM_ConnectToClose(benchmark::State& state) {
    loopback::Listener server(true, 64);
    Client client(server.Port());
    std::atomic<bool> stop{false};
    std::thread accepting([&] {
        while (!stop) server.Accept(50);
    });
    for (auto _ : state) {
        if (!client.tcp.Open(false, true)) return state.SkipWithError("open failed");
        client.tcp.Close();
    }
    stop = true;
    accepting.join();
}
BENCHMARK(BM_ConnectToClose)->UseRealTime();

}  // namespace
