// What the four transport libraries (COM, FTD, GSM, RFM) share in their
// headers: how their classes cross the library boundary, the receive callback
// and the message box hook.
//
// Window handles (`hWnd`) are `void*` on both targets: on Windows they hold an
// HWND, natively an opaque pointer the libraries only pass on.
#pragma once

// Each library defines ZORVEL_BUILD_<KIND> while it is being built and exports
// its class; everyone else imports it. ZORVEL_TRANSPORTS_LOCAL (the test fakes)
// declares the classes as ordinary classes of the module that defines them.
#if defined(ZORVEL_TRANSPORTS_LOCAL)
#define ZORVEL_TRANSPORT_EXPORT
#define ZORVEL_TRANSPORT_IMPORT
#elif defined(_WIN32)
#define ZORVEL_TRANSPORT_EXPORT __declspec(dllexport)
#define ZORVEL_TRANSPORT_IMPORT __declspec(dllimport)
#else
#define ZORVEL_TRANSPORT_EXPORT __attribute__((visibility("default")))
#define ZORVEL_TRANSPORT_IMPORT __attribute__((visibility("default")))
#endif

// Receive callback of the host: a block of received bytes and its length,
// called on the transport's own thread. The block belongs to the transport and
// is valid only during the call; a NUL follows its last byte.
typedef void (*tRecvCallback)(char* data, int count);

// Replaces the message box function of one library (each library shows its own
// failures). Same signature and values as compat::MessageBoxHandler; nullptr
// restores the platform's message box.
typedef int (*tMessageBoxHandler)(void* owner, const char* text, const char* caption, unsigned type);
