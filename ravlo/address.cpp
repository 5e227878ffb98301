// Resolving the server's address: the same socket calls on both platforms.
#include "ravlo/platform.h"

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#endif

#include <cstdio>

namespace ravlo {

bool FillAddress(sockaddr_in& address, std::uint16_t port, const char* text, char (&hostName)[256]) {
    address = sockaddr_in();
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    hostName[0] = '\0';
    const auto dotted = inet_addr(text);
    if (dotted != INADDR_NONE) {
        address.sin_addr.s_addr = dotted;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (getaddrinfo(text, nullptr, &hints, &found) != 0 || found == nullptr) return false;
    address.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    std::snprintf(hostName, sizeof hostName, "%s", found->ai_canonname ? found->ai_canonname : text);
    freeaddrinfo(found);
    return true;
}

}  // namespace ravlo
