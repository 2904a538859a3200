// Reply bytes a WaitResponse on TCP or USB HID read but did not take, and
// the TCP input that arrives while one collects.
//
// Ownership: the link owns one; the event loop outlives it. Bytes a take
// leaves go on as the serial link's do: a take that comes before the
// loop's next pass gets them, else that pass hands them to the link's
// hand-on (its receive route), unless a wait collects again by then.
// Hand-ons still queued when the part is gone do nothing. Nothing here
// blocks or raises an error; the hand-on's errors are the link's.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Text.h"
#include "platform/loop/EventLoop.h"
#include "platform/loop/LifeToken.h"

namespace printerlink {

class HeldReply {
public:
    // The bytes, and the report ID of the last USB HID report they came in.
    using HandOn = std::function<void(platform::Bytes data, std::uint8_t reportId)>;
    HeldReply(platform::EventLoop& loop, HandOn handOn) : loop_(loop), handOn_(std::move(handOn)) {}

    // While one lives, a wait collects: TCP input is held for it.
    class Collecting {
    public:
        explicit Collecting(HeldReply& held) : held_(held) { ++held_.collectors_; }
        ~Collecting() { --held_.collectors_; }
        Collecting(const Collecting&) = delete;
        Collecting& operator=(const Collecting&) = delete;

    private:
        HeldReply& held_;
    };
    bool collecting() const { return collectors_ > 0; }

    int size() const { return static_cast<int>(bytes_.size()); }
    void add(const platform::Bytes& data);
    void addReportData(std::uint8_t reportId, const platform::Bytes& data);
    // The held bytes go in front of data, as they came first.
    void prependTo(platform::Bytes& data);
    // Fills resp[0 .. count-1] from the held bytes; false when fewer are held.
    bool take(platform::Bytes& resp, int count);
    void clear() { bytes_.clear(); }

private:
    void handOnLater();

    platform::EventLoop& loop_;
    HandOn handOn_;
    platform::Bytes bytes_;
    std::uint8_t reportId_ = 0;
    int collectors_ = 0;
    bool handOnPosted_ = false;
    // Last: queued hand-ons do nothing once the part is gone.
    platform::LifeToken life_;
};

}  // namespace printerlink
