// The simulated printer behind a real loopback TCP listener.
//
// Serves one client at a time on the event loop: while a client is
// connected the listener is not watched, so a second client waits in the
// backlog until the first one leaves. A restart closes the client and the
// listener (new connections are refused) and listens again on the same port
// when the printer is back.
//
// Ownership: owns its descriptors; the loop and the printer outlive it.
// Throws std::system_error when the address cannot be bound.
#pragma once

#include <string>

#include "platform/loop/EventLoop.h"
#include "printer-sim/SimPrinter.h"

namespace sim {

class TcpListenerAdapter final : public SimPort {
public:
    // host: a numeric IPv4 address; port 0 picks a free port (see port()).
    TcpListenerAdapter(SimPrinter& printer, platform::EventLoop& loop, const std::string& host, int port);
    ~TcpListenerAdapter() override;
    TcpListenerAdapter(const TcpListenerAdapter&) = delete;
    TcpListenerAdapter& operator=(const TcpListenerAdapter&) = delete;

    int port() const { return port_; }
    bool hasClient() const { return client_ >= 0; }

    void send(const platform::Bytes& bytes) override;
    void setLinkUp(bool up) override;
    void closeConnection() override;

private:
    void openListener();
    void closeListener();
    void onListenerReady();
    void onClientReady(unsigned ready);
    void flush();

    SimPrinter& printer_;
    platform::EventLoop& loop_;
    std::string host_;
    int port_;
    int listener_ = -1;
    platform::EventLoop::WatchId listenWatch_ = 0;
    int client_ = -1;
    platform::EventLoop::WatchId clientWatch_ = 0;
    platform::Bytes outgoing_;
};

}  // namespace sim
