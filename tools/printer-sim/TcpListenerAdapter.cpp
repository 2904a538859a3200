#include "printer-sim/TcpListenerAdapter.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace sim {

using platform::Bytes;

TcpListenerAdapter::TcpListenerAdapter(SimPrinter& printer, platform::EventLoop& loop, const std::string& host,
                                       int port)
    : printer_(printer), loop_(loop), host_(host), port_(port) {
    openListener();
    printer_.attach(this);
}

TcpListenerAdapter::~TcpListenerAdapter() {
    printer_.attach(nullptr);
    closeConnection();
    closeListener();
}

void TcpListenerAdapter::openListener() {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port_));
    if (inet_pton(AF_INET, host_.c_str(), &addr.sin_addr) != 1)
        throw std::system_error(EINVAL, std::generic_category(), "not a numeric IPv4 address: " + host_);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "socket");
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0) {
        const int saved = errno;
        ::close(fd);
        throw std::system_error(saved, std::generic_category(), "listen on " + host_ + ":" + std::to_string(port_));
    }
    socklen_t length = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
    listener_ = fd;
    if (client_ < 0) listenWatch_ = loop_.watch(listener_, platform::IoRead, [this](unsigned) { onListenerReady(); });
}

void TcpListenerAdapter::closeListener() {
    if (listener_ < 0) return;
    if (listenWatch_) loop_.unwatch(listenWatch_);
    listenWatch_ = 0;
    ::close(listener_);
    listener_ = -1;
}

void TcpListenerAdapter::onListenerReady() {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    client_ = fd;
    loop_.unwatch(listenWatch_);
    listenWatch_ = 0;
    clientWatch_ = loop_.watch(client_, platform::IoRead, [this](unsigned ready) { onClientReady(ready); });
}

void TcpListenerAdapter::onClientReady(unsigned ready) {
    if (ready & platform::IoWrite) flush();
    if (!(ready & platform::IoRead) || client_ < 0) return;
    std::uint8_t buffer[4096];
    const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
    if (n > 0) {
        printer_.receive(Bytes(buffer, buffer + n));
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    closeConnection();  // the client left (or the connection broke)
}

void TcpListenerAdapter::send(const Bytes& bytes) {
    if (client_ < 0) return;
    outgoing_.insert(outgoing_.end(), bytes.begin(), bytes.end());
    flush();
}

void TcpListenerAdapter::flush() {
    while (client_ >= 0 && !outgoing_.empty()) {
        const ssize_t n = ::send(client_, outgoing_.data(), outgoing_.size(), MSG_NOSIGNAL);
        if (n <= 0) break;
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + n);
    }
    if (client_ >= 0)
        loop_.setInterest(clientWatch_, outgoing_.empty() ? platform::IoRead : platform::IoRead | platform::IoWrite);
}

void TcpListenerAdapter::closeConnection() {
    if (client_ < 0) return;
    loop_.unwatch(clientWatch_);
    clientWatch_ = 0;
    ::close(client_);
    client_ = -1;
    outgoing_.clear();
    if (listener_ >= 0 && !listenWatch_)
        listenWatch_ = loop_.watch(listener_, platform::IoRead, [this](unsigned) { onListenerReady(); });
}

void TcpListenerAdapter::setLinkUp(bool up) {
    if (up) {
        if (listener_ < 0) openListener();
        return;
    }
    closeConnection();
    closeListener();
}

}  // namespace sim
