#include "platform/tcp/TcpSocket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/RuntimeError.h"

namespace platform {

SocketError socketError(int code, bool resolver) {
    if (resolver) {
        if (code == EAI_SYSTEM) return socketError(errno);
        return {sck::ErrHostNotFound, "Host not found"};
    }
    switch (code) {
    case ECONNREFUSED: return {sck::ErrConnectionRefused, "Connection refused"};
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN: return {sck::ErrNetUnreachable, "Network is unreachable"};
    case ETIMEDOUT: return {sck::ErrTimedOut, "Connection timed out"};
    case ECONNRESET:
    case EPIPE:
    case ECONNABORTED: return {sck::ErrConnectionReset, "Connection reset by peer"};
    default: return {sck::ErrNotConnected, std::strerror(code)};
    }
}

namespace {

[[noreturn]] void wrongState() {
    throw RuntimeError(sck::ErrWrongProtocolOrState, "Wrong connection state for the requested operation");
}

}  // namespace

TcpSocket::TcpSocket(EventLoop& loop) : loop_(loop) {}

TcpSocket::~TcpSocket() { Close(); }

void TcpSocket::Connect() {
    if (state_ != sck::Closed) wrongState();
    if (RemotePort <= 0 || RemotePort > 65535)
        throw RuntimeError(sck::ErrInvalidArgument, "Invalid port " + std::to_string(RemotePort));

    session_ = std::make_shared<int>(0);
    state_ = sck::ResolvingHost;
    resolve();
    if (addresses_.empty()) return;  // the error is already posted
    state_ = sck::HostResolved;
    lastConnectError_ = 0;
    nextAddress_ = 0;
    if (!connectNext()) failWith(withTarget(socketError(lastConnectError_)));
}

// The user is told which printer address failed.
SocketError TcpSocket::withTarget(SocketError error) const {
    error.description += " (" + RemoteHost + ":" + std::to_string(RemotePort) + ")";
    return error;
}

// Numeric addresses never reach the resolver, so they never wait on it.
void TcpSocket::resolve() {
    addresses_.clear();
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    std::string port = std::to_string(RemotePort);
    addrinfo* found = nullptr;
    int rc = RemoteHost.empty() ? EAI_NONAME : ::getaddrinfo(RemoteHost.c_str(), port.c_str(), &hints, &found);
    if (rc == EAI_NONAME && !RemoteHost.empty()) {
        hints.ai_flags = AI_NUMERICSERV;
        rc = ::getaddrinfo(RemoteHost.c_str(), port.c_str(), &hints, &found);
    }
    if (rc != 0) {
        failWith(withTarget(socketError(rc, true)));
        return;
    }
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
        Address address {};
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        addresses_.push_back(address);
    }
    ::freeaddrinfo(found);
}

// A name may resolve to several addresses (IPv6 and IPv4 for localhost);
// the next one is tried when one fails.
bool TcpSocket::connectNext() {
    while (nextAddress_ < addresses_.size()) {
        const Address& address = addresses_[nextAddress_++];
        int fd = ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastConnectError_ = errno;
            continue;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0 ||
            errno == EINPROGRESS) {
            fd_ = fd;
            state_ = sck::Connecting;
            watch_ = loop_.watch(fd_, IoWrite, [this](unsigned ready) { onReady(ready); });
            return true;
        }
        lastConnectError_ = errno;
        ::close(fd);
    }
    return false;
}

void TcpSocket::onReady(unsigned ready) {
    if (state_ == sck::Connecting) {
        finishConnect(ready);
        return;
    }
    if (state_ != sck::Connected) return;
    if (ready & IoRead) readInput();
    if ((ready & IoWrite) && state_ == sck::Connected) flushOutput();
}

void TcpSocket::finishConnect(unsigned ready) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error == 0 && !(ready & IoWrite)) return;  // not finished yet
    if (error != 0) {
        lastConnectError_ = error;
        dropSocket();
        if (!connectNext()) failWith(withTarget(socketError(lastConnectError_)));
        return;
    }
    state_ = sck::Connected;
    loop_.setInterest(watch_, IoRead);
    writeWatched_ = false;
    post([this] {
        if (OnConnect) OnConnect();
    });
}

void TcpSocket::readInput() {
    std::uint8_t chunk[16384];
    bool arrived = false;
    for (;;) {
        ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            input_.insert(input_.end(), chunk, chunk + n);
            arrived = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        int error = n < 0 ? errno : 0;
        if (arrived) postDataArrival();
        if (n == 0) {
            // The peer closed: what it sent stays readable, nothing more
            // can be sent, and the owner decides when to Close().
            dropSocket();
            output_.clear();
            state_ = sck::Closing;
            post([this] {
                if (OnClose) OnClose();
            });
        } else {
            failWith(socketError(error));
        }
        return;
    }
    if (arrived) postDataArrival();
}

void TcpSocket::SendData(const Bytes& data) {
    if (state_ != sck::Connected) wrongState();
    output_.insert(output_.end(), data.begin(), data.end());
    queuedTotal_ += data.size();
    sendMarks_.push_back(queuedTotal_);
    flushOutput();
}

void TcpSocket::flushOutput() {
    while (!output_.empty()) {
        ssize_t n = ::send(fd_, output_.data(), output_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            output_.erase(output_.begin(), output_.begin() + n);
            sentTotal_ += static_cast<unsigned long long>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        failWith(socketError(errno));
        return;
    }
    while (!sendMarks_.empty() && sendMarks_.front() <= sentTotal_) {
        sendMarks_.pop_front();
        post([this] {
            if (OnSendComplete) OnSendComplete();
        });
    }
    updateWriteInterest();
}

void TcpSocket::updateWriteInterest() {
    bool want = !output_.empty();
    if (want == writeWatched_ || watch_ == 0) return;
    loop_.setInterest(watch_, want ? (IoRead | IoWrite) : IoRead);
    writeWatched_ = want;
}

Bytes TcpSocket::GetData() { return std::exchange(input_, {}); }

void TcpSocket::Close() {
    dropSocket();
    state_ = sck::Closed;
    input_.clear();
    output_.clear();
    sendMarks_.clear();
    sentTotal_ = queuedTotal_ = 0;
    addresses_.clear();
    dataArrivalPosted_ = false;
    session_.reset();
}

void TcpSocket::failWith(const SocketError& error) {
    dropSocket();
    output_.clear();
    sendMarks_.clear();
    state_ = sck::Error;
    post([this, error] {
        if (OnError) OnError(error.number, error.description);
    });
}

void TcpSocket::dropSocket() {
    if (watch_ != 0) loop_.unwatch(watch_);
    watch_ = 0;
    writeWatched_ = false;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void TcpSocket::post(std::function<void()> event) {
    std::weak_ptr<int> session = session_;
    loop_.post([session, event = std::move(event)] {
        if (!session.expired()) event();
    });
}

// One data event is queued at a time and reports what waits when it runs;
// a handler that already took the data gets no empty event.
void TcpSocket::postDataArrival() {
    if (dataArrivalPosted_) return;
    dataArrivalPosted_ = true;
    post([this] {
        dataArrivalPosted_ = false;
        if (!input_.empty() && OnDataArrival) OnDataArrival(static_cast<long>(input_.size()));
    });
}

}  // namespace platform
