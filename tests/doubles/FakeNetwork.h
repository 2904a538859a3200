// A pretend network for the in-memory TCP control, on the virtual clock.
//
// Tests say what each host:port does with a connection attempt: accept it
// (and hand the far end, a FakeTcpPeer, to a handler), refuse it, or never
// answer. An address nobody registered is refused; a host name that no
// registration mentions does not resolve. Peers live as long as someone holds
// them; a peer whose client socket is gone just stops delivering.
//
// Everything the network does happens as world actions on the virtual clock
// (connectDelay after the attempt, wireDelay for bytes on the way), never
// inside the call that started it. Nothing here blocks.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/Text.h"
#include "platform/loop/Clock.h"

namespace doubles {

class FakeTcpSocket;

// The far end of one accepted connection.
class FakeTcpPeer : public std::enable_shared_from_this<FakeTcpPeer> {
public:
    explicit FakeTcpPeer(platform::VirtualClock& clock, platform::Micros wireDelay)
        : clock_(clock), wireDelay_(wireDelay) {}

    // Bytes to the utility's socket; dropped once either end has closed.
    void send(const platform::Bytes& bytes);
    // The far end closes: the utility's socket sees OnClose.
    void close();
    // The far end resets the connection: the utility's socket goes to State
    // 9 and sees OnError 10054 "Connection reset by peer".
    void reset();
    bool isOpen() const { return open_ && client_ != nullptr; }

    std::function<void(const platform::Bytes&)> onReceive;  // bytes the utility sent
    std::function<void()> onClientClosed;                   // the utility closed its end

private:
    friend class FakeTcpSocket;
    void attachClient(FakeTcpSocket* client) { client_ = client; }
    void deliverFromClient(const platform::Bytes& bytes);
    void clientClosed();

    platform::VirtualClock& clock_;
    platform::Micros wireDelay_;
    FakeTcpSocket* client_ = nullptr;
    bool open_ = true;
};

class FakeNetwork {
public:
    enum class Answer { Accept, Refuse, Silent, UnknownHost };
    using AcceptHandler = std::function<void(std::shared_ptr<FakeTcpPeer>)>;

    explicit FakeNetwork(platform::VirtualClock& clock) : clock_(clock) {}

    void listen(const std::string& host, int port, AcceptHandler onAccept);
    void refuse(const std::string& host, int port);
    void ignore(const std::string& host, int port);  // never answers

    // What a connection attempt to host:port meets, and, for Accept, the
    // new peer (already handed to the listener's handler).
    Answer resolve(const std::string& host, int port) const;
    std::shared_ptr<FakeTcpPeer> accept(const std::string& host, int port);

    platform::VirtualClock& clock() { return clock_; }

    platform::Micros connectDelay = 1000;            // 1 ms to accept or refuse
    platform::Micros connectTimeout = 21'000'000;    // a silent host times out after 21 s
    platform::Micros wireDelay = 0;

private:
    struct Endpoint {
        Answer answer = Answer::Refuse;
        AcceptHandler onAccept;
    };
    static std::string key(const std::string& host, int port);
    void setEndpoint(const std::string& host, int port, Endpoint endpoint);

    platform::VirtualClock& clock_;
    std::map<std::string, Endpoint> endpoints_;
    std::map<std::string, int> knownHosts_;  // lower-case host -> registrations
};

}  // namespace doubles
