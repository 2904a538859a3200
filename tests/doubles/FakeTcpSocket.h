// In-memory TCP client control on the virtual clock.
//
// Same observable behaviour as the socket control, with the same error
// numbers and texts: Connect moves State to 6; the outcome (State 7 and
// OnConnect, or State 9 and OnError: 10061 refused, 10060 timed out, 11001
// host not found) comes as a world action with its event posted to the loop;
// a peer close gives State 8 and OnClose, a peer reset State 9 and OnError
// 10054 with everything unread dropped; SendData posts SendComplete once
// the bytes are on their way; received bytes wait for GetData, announced by
// one OnDataArrival at a time. No event is raised inside the call that
// caused it, and Close() drops everything of the old connection.
//
// Ownership: the socket refers to the loop and the network, which outlive
// it. Destroying the socket closes its connection. Nothing here blocks.
#pragma once

#include <memory>

#include "doubles/FakeNetwork.h"
#include "platform/loop/LifeToken.h"
#include "platform/loop/EventLoop.h"
#include "platform/tcp/TcpControl.h"

namespace doubles {

class FakeTcpSocket final : public platform::TcpControl {
public:
    FakeTcpSocket(platform::EventLoop& loop, FakeNetwork& network);
    ~FakeTcpSocket() override;

    void Connect() override;
    void Close() override;
    int State() const override { return state_; }
    using platform::TcpControl::SendData;
    void SendData(const platform::Bytes& data) override;
    platform::Bytes GetData() override;
    long BytesReceived() const override { return static_cast<long>(received_.size()); }

private:
    friend class FakeTcpPeer;
    void attempt(unsigned generation, const std::string& host, int port);
    void fail(unsigned generation, int code, bool resolver = false);
    void deliverFromPeer(const platform::Bytes& bytes);
    void peerClosed();
    void peerReset();
    void post(std::function<void()> fn);

    platform::EventLoop& loop_;
    FakeNetwork& network_;
    int state_ = platform::sck::Closed;
    unsigned generation_ = 0;
    std::shared_ptr<FakeTcpPeer> peer_;
    platform::Bytes received_;
    bool dataArrivalPosted_ = false;
    platform::LifeToken life_;
};

}  // namespace doubles
