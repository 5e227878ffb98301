#include "serial_port.h"

#include <windows.h>

#include <cctype>

namespace transports {

namespace {

// A read waits for the first byte without limit and completes once the line
// has been quiet for this long after it, so each burst arrives as one block.
// (The "return at the first byte" setting, MAXDWORD/MAXDWORD/constant, is not
// honoured by Wine for overlapped reads: they wait for a full buffer.)
constexpr DWORD kReadIntervalMs = 10;
// A read cannot complete empty with those time-outs; a device that keeps
// doing so no longer blocks (gone, or hung up) and the reader ends.
constexpr int kEmptyReadsForHangUp = 3;

bool ApplyLine(HANDLE handle, const LineSettings& line) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) return false;
    dcb.BaudRate = line.baudRate;
    dcb.ByteSize = line.dataBits;
    dcb.StopBits = line.stopBits;  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
    dcb.Parity = line.parity;      // NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY
    dcb.fBinary = TRUE;
    dcb.fParity = line.parity != 0;
    dcb.fOutxCtsFlow = line.flowControl == 1;
    dcb.fRtsControl = line.flowControl == 1 ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutxDsrFlow = line.flowControl == 2;
    dcb.fDtrControl = line.flowControl == 2 ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = dcb.fInX = line.flowControl == 3;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = 512;
    dcb.XoffLim = 512;
    dcb.fErrorChar = dcb.fNull = dcb.fAbortOnError = FALSE;
    if (!SetCommState(handle, &dcb)) return false;

    // Writes have no time-out of their own: Write waits for them itself.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kReadIntervalMs;
    if (!SetCommTimeouts(handle, &timeouts)) return false;
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    return true;
}

// The name of the kernel object that marks `device` as taken. Windows itself
// refuses a second open of a serial port; Wine does not, so the port is also
// claimed by name (per session), which keeps two of our programs, or two
// port objects, from reading one line.
std::string ClaimName(const std::string& device) {
    std::string name = "Local\\zorvel-serial-";
    for (char c : device) name += c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

OpenFailure FailureOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME: case ERROR_BAD_NETPATH:
            return OpenFailure::NotFound;
        case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION:
            return OpenFailure::Busy;
        default:
            return OpenFailure::Other;
    }
}

// Waits for an overlapped operation; on `stop` (or after timeoutMs) cancels
// it. Returns the bytes transferred, or -1 on failure, cancel or time-out.
long Finish(HANDLE handle, OVERLAPPED& operation, HANDLE stop, DWORD timeoutMs, bool& stopped) {
    HANDLE waits[2] = {operation.hEvent, stop};
    DWORD waited = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, timeoutMs);
    DWORD done = 0;
    if (waited != WAIT_OBJECT_0) {
        stopped = waited == WAIT_OBJECT_0 + 1;
        CancelIoEx(handle, &operation);
        GetOverlappedResult(handle, &operation, &done, TRUE);
        return -1;
    }
    if (!GetOverlappedResult(handle, &operation, &done, FALSE)) return -1;
    return static_cast<long>(done);
}

}  // namespace

std::unique_ptr<SerialPort> SerialPort::Open(const std::string& device, const LineSettings& line,
                                             OpenFailure& failure, int& systemError) {
    failure = OpenFailure::None;
    systemError = 0;
    std::unique_ptr<SerialPort> port(new SerialPort);
    auto fail = [&](OpenFailure why, DWORD error) {
        failure = why;
        systemError = static_cast<int>(error);
        return nullptr;
    };
    port->claim_ = CreateMutexA(nullptr, FALSE, ClaimName(device).c_str());
    if (!port->claim_) return fail(OpenFailure::Other, GetLastError());
    if (GetLastError() == ERROR_ALREADY_EXISTS) return fail(OpenFailure::Busy, ERROR_ACCESS_DENIED);
    // No sharing: a port another program holds answers ERROR_ACCESS_DENIED.
    HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return fail(FailureOf(GetLastError()), GetLastError());
    port->handle_ = handle;
    if (!IsValid(line) || !ApplyLine(handle, line)) return fail(OpenFailure::BadSettings, GetLastError());
    port->wake_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    port->readDone_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    port->writeDone_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!port->wake_ || !port->readDone_ || !port->writeDone_) return fail(OpenFailure::Other, GetLastError());
    return port;
}

SerialPort::~SerialPort() {
    for (void* handle : {handle_, wake_, readDone_, writeDone_, claim_})
        if (handle) CloseHandle(handle);
}

long SerialPort::Read(char* buffer, std::size_t size) {
    for (int emptyReads = 0; emptyReads < kEmptyReadsForHangUp; ++emptyReads) {
        if (WaitForSingleObject(wake_, 0) == WAIT_OBJECT_0) return 0;
        OVERLAPPED operation{};
        operation.hEvent = readDone_;
        ResetEvent(readDone_);
        long got;
        bool stopped = false;
        if (ReadFile(handle_, buffer, static_cast<DWORD>(size), nullptr, &operation)) {
            DWORD done = 0;
            got = GetOverlappedResult(handle_, &operation, &done, FALSE) ? static_cast<long>(done) : -1;
        } else if (GetLastError() == ERROR_IO_PENDING) {
            got = Finish(handle_, operation, wake_, INFINITE, stopped);
        } else {
            return -1;
        }
        if (stopped) return 0;
        if (got != 0) return got;
        if (WaitForSingleObject(wake_, kReadIntervalMs) == WAIT_OBJECT_0) return 0;
    }
    return -1;
}

void SerialPort::Wake() { SetEvent(wake_); }

bool SerialPort::Write(const char* data, std::size_t size, unsigned timeoutMs) {
    OVERLAPPED operation{};
    operation.hEvent = writeDone_;
    ResetEvent(writeDone_);
    long written;
    bool stopped = false;
    if (WriteFile(handle_, data, static_cast<DWORD>(size), nullptr, &operation)) {
        DWORD done = 0;
        written = GetOverlappedResult(handle_, &operation, &done, FALSE) ? static_cast<long>(done) : -1;
    } else if (GetLastError() == ERROR_IO_PENDING) {
        written = Finish(handle_, operation, nullptr, timeoutMs, stopped);
    } else {
        return false;
    }
    return written == static_cast<long>(size);
}

void* SerialPort::Handle() { return handle_; }

}  // namespace transports
