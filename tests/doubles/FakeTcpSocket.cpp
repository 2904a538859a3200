#include "doubles/FakeTcpSocket.h"

#include <netdb.h>

#include <cerrno>

#include "platform/RuntimeError.h"
#include "platform/tcp/TcpSocket.h"

namespace doubles {

using platform::Bytes;
namespace sck = platform::sck;

namespace {
[[noreturn]] void wrongState() {
    throw platform::RuntimeError(sck::ErrWrongProtocolOrState, "Wrong connection state for the requested operation");
}
}  // namespace

FakeTcpSocket::FakeTcpSocket(platform::EventLoop& loop, FakeNetwork& network) : loop_(loop), network_(network) {}

FakeTcpSocket::~FakeTcpSocket() {
    if (peer_) peer_->clientClosed();
}

void FakeTcpSocket::post(std::function<void()> fn) {
    loop_.post(life_.wrap([this, gen = generation_, fn = std::move(fn)] {
        if (gen == generation_) fn();
    }));
}

void FakeTcpSocket::Connect() {
    if (state_ != sck::Closed) wrongState();
    if (RemotePort <= 0 || RemotePort > 65535)
        throw platform::RuntimeError(sck::ErrInvalidArgument, "Invalid port " + std::to_string(RemotePort));
    state_ = sck::Connecting;
    ++generation_;
    received_.clear();
    network_.clock().scheduleAfter(network_.connectDelay,
                                   life_.wrap([this, gen = generation_, host = RemoteHost, port = RemotePort] {
                                       attempt(gen, host, port);
                                   }));
}

void FakeTcpSocket::attempt(unsigned generation, const std::string& host, int port) {
    if (generation != generation_) return;
    switch (network_.resolve(host, port)) {
    case FakeNetwork::Answer::UnknownHost: fail(generation, EAI_NONAME, true); return;
    case FakeNetwork::Answer::Refuse: fail(generation, ECONNREFUSED); return;
    case FakeNetwork::Answer::Silent: {
        const auto waited = network_.connectTimeout - network_.connectDelay;
        network_.clock().scheduleAfter(waited > 0 ? waited : 0, life_.wrap([this, generation] {
            fail(generation, ETIMEDOUT);
        }));
        return;
    }
    case FakeNetwork::Answer::Accept: break;
    }
    peer_ = network_.accept(host, port);
    peer_->attachClient(this);
    state_ = sck::Connected;
    post([this] {
        if (OnConnect) OnConnect();
    });
}

void FakeTcpSocket::fail(unsigned generation, int code, bool resolver) {
    if (generation != generation_) return;
    platform::SocketError error = platform::socketError(code, resolver);
    // The user is told which printer address failed, as by the real control.
    error.description += " (" + RemoteHost + ":" + std::to_string(RemotePort) + ")";
    state_ = sck::Error;
    post([this, error] {
        if (OnError) OnError(error.number, error.description);
    });
}

void FakeTcpSocket::Close() {
    if (state_ == sck::Closed) return;
    state_ = sck::Closed;
    ++generation_;
    received_.clear();
    dataArrivalPosted_ = false;
    if (peer_) {
        peer_->clientClosed();
        peer_.reset();
    }
}

void FakeTcpSocket::SendData(const Bytes& data) {
    if (state_ != sck::Connected) wrongState();
    if (peer_ && !data.empty()) {
        network_.clock().scheduleAfter(network_.wireDelay, [peer = peer_, data] { peer->deliverFromClient(data); });
    }
    post([this] {
        if (OnSendComplete) OnSendComplete();
    });
}

Bytes FakeTcpSocket::GetData() {
    Bytes out;
    out.swap(received_);
    return out;
}

void FakeTcpSocket::deliverFromPeer(const Bytes& bytes) {
    if (state_ != sck::Connected) return;
    received_.insert(received_.end(), bytes.begin(), bytes.end());
    if (dataArrivalPosted_) return;
    dataArrivalPosted_ = true;
    post([this] {
        dataArrivalPosted_ = false;
        if (!received_.empty() && OnDataArrival) OnDataArrival(static_cast<long>(received_.size()));
    });
}

void FakeTcpSocket::peerReset() {
    if (state_ != sck::Connected) return;
    const platform::SocketError error = platform::socketError(ECONNRESET);
    peer_->attachClient(nullptr);
    peer_.reset();
    received_.clear();
    state_ = sck::Error;
    post([this, error] {
        if (OnError) OnError(error.number, error.description);
    });
}

void FakeTcpSocket::peerClosed() {
    if (state_ != sck::Connected) return;
    // What the peer sent stays readable; nothing more can be sent.
    state_ = sck::Closing;
    post([this] {
        if (OnClose) OnClose();
    });
}

}  // namespace doubles
