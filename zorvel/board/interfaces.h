// The five transports the program reaches the board through, by the index the
// common configuration file keeps (0..4). A stored index outside them is kept
// as loaded and selects no transport.
#pragma once

#include <cstdint>

namespace board {

enum InterfaceKind : std::int8_t {
    kInterfaceSerial = 0,  // cCOM
    kInterfaceUsb = 1,     // cFTD
    kInterfaceTcp = 2,     // cRavlo
    kInterfaceGsm = 3,     // cGSM, a modem driven through the USB adapter
    kInterfaceRadio = 4,   // cRFM, a radio module driven through the USB adapter
};

constexpr int kInterfaceCount = 5;

constexpr bool IsInterface(int index) { return index >= 0 && index < kInterfaceCount; }

}  // namespace board
