#include "doubles/FakeNetwork.h"

#include "doubles/FakeTcpSocket.h"

namespace doubles {

using platform::Bytes;

void FakeTcpPeer::send(const Bytes& bytes) {
    if (!isOpen() || bytes.empty()) return;
    clock_.scheduleAfter(wireDelay_, [self = shared_from_this(), bytes] {
        if (self->client_) self->client_->deliverFromPeer(bytes);
    });
}

void FakeTcpPeer::close() {
    if (!open_) return;
    open_ = false;
    clock_.scheduleAfter(wireDelay_, [self = shared_from_this()] {
        if (self->client_) self->client_->peerClosed();
    });
}

void FakeTcpPeer::reset() {
    if (!open_) return;
    open_ = false;
    clock_.scheduleAfter(wireDelay_, [self = shared_from_this()] {
        if (self->client_) self->client_->peerReset();
    });
}

void FakeTcpPeer::deliverFromClient(const Bytes& bytes) {
    if (open_ && onReceive) onReceive(bytes);
}

void FakeTcpPeer::clientClosed() {
    client_ = nullptr;
    // The close travels behind the bytes sent before it, as the FIN does.
    clock_.scheduleAfter(wireDelay_, [self = shared_from_this()] {
        if (!self->open_) return;
        self->open_ = false;
        if (self->onClientClosed) self->onClientClosed();
    });
}

std::string FakeNetwork::key(const std::string& host, int port) {
    return platform::toLowerAscii(host) + ":" + std::to_string(port);
}

void FakeNetwork::setEndpoint(const std::string& host, int port, Endpoint endpoint) {
    auto [it, added] = endpoints_.try_emplace(key(host, port));
    if (added) ++knownHosts_[platform::toLowerAscii(host)];
    it->second = std::move(endpoint);
}

void FakeNetwork::listen(const std::string& host, int port, AcceptHandler onAccept) {
    setEndpoint(host, port, {Answer::Accept, std::move(onAccept)});
}

void FakeNetwork::refuse(const std::string& host, int port) { setEndpoint(host, port, {Answer::Refuse, {}}); }

void FakeNetwork::ignore(const std::string& host, int port) { setEndpoint(host, port, {Answer::Silent, {}}); }

namespace {
bool isNumericAddress(const std::string& host) {
    if (host.empty()) return false;
    for (char c : host)
        if (!(c == '.' || (c >= '0' && c <= '9'))) return false;
    return true;
}
}  // namespace

FakeNetwork::Answer FakeNetwork::resolve(const std::string& host, int port) const {
    const auto it = endpoints_.find(key(host, port));
    if (it != endpoints_.end()) return it->second.answer;
    if (!isNumericAddress(host) && !knownHosts_.count(platform::toLowerAscii(host))) return Answer::UnknownHost;
    return Answer::Refuse;
}

std::shared_ptr<FakeTcpPeer> FakeNetwork::accept(const std::string& host, int port) {
    const auto it = endpoints_.find(key(host, port));
    if (it == endpoints_.end() || it->second.answer != Answer::Accept) return nullptr;
    auto peer = std::make_shared<FakeTcpPeer>(clock_, wireDelay);
    // Copied: the handler may re-register the endpoint while it runs.
    const AcceptHandler handler = it->second.onAccept;
    if (handler) handler(peer);
    return peer;
}

}  // namespace doubles
