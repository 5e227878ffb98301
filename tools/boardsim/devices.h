// The command-line options of the simulator's device modes (--modem, --radio)
// and the device factory they choose.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "device.h"
#include "gsm_modem.h"
#include "radio_module.h"

namespace boardsim {

struct DeviceOptions {
    bool ModemMode = false;
    GsmModemConfig ModemConfig;
    std::vector<std::string> ModemFaults;
    bool RadioMode = false;
    RadioConfig Radio;
    int RadioChannel = 27;  // the board module's channel, 1..35
};

void AddDeviceOptions(CLI::App& app, DeviceOptions& options);

// The factory of the chosen mode; empty when the board is served directly.
DeviceFactory MakeDeviceFactory(const DeviceOptions& options);

}  // namespace boardsim
