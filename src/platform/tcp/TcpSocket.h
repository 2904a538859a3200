// The TCP client control on a non-blocking POSIX socket.
//
// Ownership: the control owns its socket, its receive buffer and its send
// queue; it watches the socket on the event loop it was made with and must
// be destroyed before that loop.
//
// Blocking: Connect resolves a numeric address at once; a host name goes
// through the system resolver, which may block briefly. Connecting,
// sending and receiving never block: they complete on later passes of the
// loop.
//
// Events: every event is posted and runs at a later pass, never inside the
// call that caused it. Close() drops whatever is still queued, so no event
// of the old connection arrives after it. Writing to a socket the peer has
// reset gives OnError, never SIGPIPE.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <sys/socket.h>

#include "platform/loop/EventLoop.h"
#include "platform/tcp/TcpControl.h"

namespace platform {

// The error number and description the control reports for a socket or
// resolver failure (errno value, or the resolver's EAI_ code when
// `resolver` is true).
struct SocketError {
    int number;
    std::string description;
};
SocketError socketError(int code, bool resolver = false);

class TcpSocket final : public TcpControl {
public:
    explicit TcpSocket(EventLoop& loop = EventLoop::current());
    ~TcpSocket() override;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    void Connect() override;
    void Close() override;
    int State() const override { return state_; }
    using TcpControl::SendData;
    void SendData(const Bytes& data) override;
    Bytes GetData() override;
    long BytesReceived() const override { return static_cast<long>(input_.size()); }

private:
    struct Address {
        sockaddr_storage storage;
        socklen_t length;
    };

    SocketError withTarget(SocketError error) const;
    void resolve();
    bool connectNext();
    void onReady(unsigned ready);
    void finishConnect(unsigned ready);
    void readInput();
    void flushOutput();
    void updateWriteInterest();
    void failWith(const SocketError& error);
    void dropSocket();

    void post(std::function<void()> event);
    void postDataArrival();

    EventLoop& loop_;
    int state_ = sck::Closed;
    int fd_ = -1;
    EventLoop::WatchId watch_ = 0;
    bool writeWatched_ = false;

    std::vector<Address> addresses_;
    std::size_t nextAddress_ = 0;
    int lastConnectError_ = 0;

    Bytes input_;
    Bytes output_;
    // Total bytes handed to the kernel, and the totals at which each
    // SendData call's bytes have all been handed over.
    unsigned long long sentTotal_ = 0;
    unsigned long long queuedTotal_ = 0;
    std::deque<unsigned long long> sendMarks_;
    bool dataArrivalPosted_ = false;

    // Posted events hold a weak reference; Close() replaces it.
    std::shared_ptr<int> session_;
};

}  // namespace platform
