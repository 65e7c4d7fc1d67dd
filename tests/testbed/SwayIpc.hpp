#pragma once

#include <cstdint>
#include <string>

namespace dorvane::test {

// A client of sway's IPC socket (the i3 protocol): a message is "i3-ipc", the payload's length
// and the message type (32 bits each, in the machine's order), then the payload. Throws
// std::runtime_error when the socket fails.
class SwayIpc {
public:
    static constexpr std::uint32_t runCommandMessage = 0;
    static constexpr std::uint32_t getVersionMessage = 7;

    explicit SwayIpc(const std::string& socketPath);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    // Sending and receiving apart, so that a benchmark can time what happens in between.
    void send(std::uint32_t type, const std::string& payload);
    std::string receiveReply();

    // Runs sway commands ("[app_id=\"slack\"] focus"); true when every one succeeded.
    bool runCommand(const std::string& command);

private:
    void readExactly(char* bytes, std::size_t count);

    int socket_ = -1;
};

}  // namespace dorvane::test
