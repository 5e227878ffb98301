// A test double of the dispatch (zorvel/board/link.h) on a virtual clock: no
// transport, no thread, no real sleep. Every command's bytes are recorded with
// the virtual time they were sent; a scripted responder decides what "arrives"
// and after how many virtual milliseconds. The waits advance the clock in the
// same rounds as the real ones (200 ms, 50 ms, 56 ms) and deliver what is due.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace linkfake {

struct Sent {
    unsigned long AtMs;
    std::string Bytes;
};

struct Delivery {
    unsigned long DelayMs;  // after the command was sent
    std::string Bytes;
};

// Called for every command sent, with the command's bytes.
using Responder = std::function<std::vector<Delivery>(const std::string& command)>;

struct State {
    unsigned long NowMs = 0;
    bool OpenResult = true;  // what InterfaceOpen answers
    bool IsOpen = false;
    bool LastShowMessages = false, LastStartReader = false;
    int Opens = 0, Closes = 0;
    std::vector<Sent> Commands;
    std::vector<std::string>* Events = nullptr;  // "open", "send ...", "close", "clear"
    Responder Respond;
    std::string Reply;  // what arrived since the last clear
    unsigned long AbortAtMs = 0;  // AbortExchange once the virtual clock reaches this (0: never)
};

State& Fake();
void Reset();  // a fresh state, virtual time 0

}  // namespace linkfake
