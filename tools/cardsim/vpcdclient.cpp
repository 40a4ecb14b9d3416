#include "vpcdclient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cardsim {

namespace {
constexpr uint8_t kPowerOff = 0, kPowerOn = 1, kReset = 2, kGetAtr = 4;
}

bool VpcdClient::connect(const std::string& host, uint16_t port, std::string* error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
        ::close(fd);
        if (error) *error = "not an IPv4 address: " + host;
        return false;
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (error) *error = std::string("connect: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    fd_ = fd;
    return true;
}

bool VpcdClient::readExact(uint8_t* buf, std::size_t n) {
    while (n > 0) {
        // The driver writes a message's length and payload separately; an
        // immediate ACK keeps Nagle on its side from holding the payload back
        // for a delayed-ACK period on every APDU. Linux clears the flag after
        // use, so it is set before each read.
        const int one = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
        const ssize_t got = ::recv(fd_, buf, n, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        buf += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

bool VpcdClient::send(const Bytes& payload) {
    Bytes msg{static_cast<uint8_t>(payload.size() >> 8), static_cast<uint8_t>(payload.size())};
    msg.insert(msg.end(), payload.begin(), payload.end());
    std::size_t off = 0;
    while (off < msg.size()) {
        const ssize_t n = ::send(fd_, msg.data() + off, msg.size() - off, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        off += static_cast<std::size_t>(n);
    }
    return true;
}

void VpcdClient::serve() {
    uint8_t header[2];
    Bytes payload;
    while (readExact(header, 2)) {
        const std::size_t len = static_cast<std::size_t>(header[0] << 8 | header[1]);
        payload.assign(len, 0);
        if (len > 0 && !readExact(payload.data(), len)) break;
        if (len == 1) {
            switch (payload[0]) {
                case kPowerOff:
                    card_.flush();
                    break;
                case kPowerOn:
                case kReset:
                    card_.reset();
                    break;
                case kGetAtr:
                    if (!send(card_.atr())) return;
                    break;
                default:
                    break;
            }
            continue;
        }
        const auto reply = card_.process(payload);
        if (!reply || !send(*reply)) break;  // pulled: no answer, the connection closes
        if (card_.removed()) break;
    }
    card_.flush();
    // Shut down, not closed: stop() owns the descriptor, so it is never
    // closed under a thread still using it.
    ::shutdown(fd_, SHUT_RDWR);
}

bool VpcdClient::start(const std::string& host, uint16_t port, std::string* error) {
    if (!connect(host, port, error)) return false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void VpcdClient::interrupt() {
    const int fd = fd_.load();
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

void VpcdClient::stop() {
    const int fd = fd_.load();
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    const int left = fd_.exchange(-1);
    if (left >= 0) ::close(left);
}

}  // namespace cardsim
