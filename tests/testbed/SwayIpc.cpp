#include "testbed/SwayIpc.hpp"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace dorvane::test {
namespace {

constexpr char magic[] = {'i', '3', '-', 'i', 'p', 'c'};

struct Header {
    char magic[sizeof(dorvane::test::magic)];
    std::uint32_t length;
    std::uint32_t type;
} __attribute__((packed));

}  // namespace

SwayIpc::SwayIpc(const std::string& socketPath)
    : socket_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket_ < 0 || socketPath.size() >= sizeof address.sun_path) {
        throw std::runtime_error("cannot make a socket for " + socketPath);
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    if (connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(socket_);
        throw std::runtime_error("cannot connect to sway's IPC socket " + socketPath);
    }
    // A compositor that stops answering fails the test rather than hanging it.
    const timeval patience{10, 0};
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
}

SwayIpc::~SwayIpc() {
    close(socket_);
}

void SwayIpc::send(std::uint32_t type, const std::string& payload) {
    Header header{};
    std::copy(std::begin(magic), std::end(magic), header.magic);
    header.length = static_cast<std::uint32_t>(payload.size());
    header.type = type;
    std::string message(reinterpret_cast<const char*>(&header), sizeof header);
    message += payload;
    if (::send(socket_, message.data(), message.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(message.size())) {
        throw std::runtime_error("sway's IPC socket refused a message");
    }
}

std::string SwayIpc::receiveReply() {
    Header header{};
    readExactly(reinterpret_cast<char*>(&header), sizeof header);
    std::string payload(header.length, '\0');
    readExactly(payload.data(), payload.size());
    return payload;
}

bool SwayIpc::runCommand(const std::string& command) {
    send(runCommandMessage, command);
    std::string reply = receiveReply();
    std::erase(reply, ' ');
    return reply.find("\"success\":false") == std::string::npos;
}

void SwayIpc::readExactly(char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t got = read(socket_, bytes, count);
        if (got <= 0) {
            throw std::runtime_error("sway's IPC socket closed");
        }
        bytes += got;
        count -= static_cast<std::size_t>(got);
    }
}

}  // namespace dorvane::test
