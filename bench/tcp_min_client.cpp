// The least a program can do for one read over TCP: connect, send
// "read status\r", read until the seventh value's line has ended, exit. The
// yardstick for zorvelctl's own read (bench/fleet_wall.py runs both).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tcp_min_client HOST PORT\n");
        return 2;
    }
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(std::atoi(argv[2])));
    inet_pton(AF_INET, argv[1], &address.sin_addr);
    if (s < 0 || connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 3;
    const char command[] = "read status\r";
    if (send(s, command, sizeof command - 1, 0) != static_cast<ssize_t>(sizeof command - 1)) return 1;
    std::string reply;
    char block[2048];
    for (;;) {
        ssize_t got = recv(s, block, sizeof block, 0);
        if (got <= 0) return 1;
        reply.append(block, static_cast<std::size_t>(got));
        std::size_t label = reply.find("Brightness(20...100):");
        if (label != std::string::npos && reply.find('\r', label) != std::string::npos) break;
    }
    close(s);
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    return 0;
}
