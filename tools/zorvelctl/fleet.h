// A fleet file: the boards a service engineer looks after, each with a name,
// the way to reach it and, for `write`, the settings to set. Parsed whole
// before anything is sent, so a bad line stops the run with nothing done.
//
// And the order of work: boards that share one serial port, USB adapter or
// modem form one lane and are worked on one after another; lanes run side by
// side on a bounded number of workers.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "console_host.h"

namespace zorvelctl {

// How to reach one board: tcp:HOST:PORT, serial:DEV[@BAUD], usb:DEVn,
// gsm:DEVn:NUMBER or radio:DEVn:CHANNEL.
struct Target {
    enum class Kind { Tcp, Serial, Usb, Gsm, Radio };
    Kind Via = Kind::Tcp;
    std::string Host;    // tcp
    int Port = 0;        // tcp
    std::string Device;  // serial: COM<n> or a device path; the others: the USB adapter DEV<n>
    int Baud = 0;        // serial, 0: the settings file's
    std::string Number;  // gsm: the slave modem to call
    int Channel = 0;     // radio, 1..35
    std::string Text;    // as written
};

// Throws UsageError naming what is wrong.
Target ParseTarget(const std::string& text);

// What boards sharing it must not use at the same time: the serial port, the
// USB adapter (which also carries the modem and the radio), or the network
// address.
std::string SharedResource(const Target& target);

struct FleetBoard {
    std::string Name;
    Target Where;
    WriteValues Values;  // what `write` sets; the rest is taken from the board
    int Line = 0;        // where it stands in the file (JSON: the entry's number)
};

// Parses a fleet file's content: JSON when it starts with '[' or '{', CSV
// otherwise. `file` names the file in the errors ("boards.csv:4: ...").
// Throws UsageError.
std::vector<FleetBoard> ParseFleet(const std::string& content, const std::string& file);

// Indexes of the boards, grouped by SharedResource, lanes and boards in file order.
std::vector<std::vector<std::size_t>> Lanes(const std::vector<FleetBoard>& boards);

// Works every lane, at most `jobs` lanes at once, the boards of one lane one
// after another on one worker thread; returns when all are done.
void RunLanes(const std::vector<std::vector<std::size_t>>& lanes, unsigned jobs,
              const std::function<void(std::size_t board)>& work);

}  // namespace zorvelctl
