// Where the double's open device sends its bytes and gets its bytes from: a
// TCP connection or a pseudo-terminal (a board simulator at the far end).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace ftd2xx_double {

class Link {
public:
    // target: "tcp:HOST:PORT" or "pty:PATH". nullptr when it cannot be reached.
    static std::unique_ptr<Link> Connect(const std::string& target);
    virtual ~Link() = default;

    // Waits up to waitMs for bytes and reads up to `size` of them: the count,
    // 0 when none came in time, -1 once the far end has gone.
    virtual long Receive(char* buffer, std::size_t size, int waitMs) = 0;
    // Bytes that can be read at once.
    virtual std::size_t Available() = 0;
    virtual bool Send(const char* data, std::size_t size) = 0;
};

// A path given in the host's terms (a Unix path under Wine) as this
// platform's file functions take it.
std::string HostPath(const std::string& path);

}  // namespace ftd2xx_double
