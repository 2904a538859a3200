// The simulated printer: a transport-agnostic core that every test of the
// printer link, and tools/printer-sim, talks to.
//
// It takes what the utility sends (a chunk of a byte stream, or one USB HID
// output report), logs it raw and decoded, finds the commands in it through
// a command table, and schedules replies through a SimScheduler after the
// configured delay. Later features add commands with addCommand(); an entry
// added later wins over an earlier one with the same bytes. The printer keeps
// its ID items and usage counters in its SimTally.
//
// Faults: replies silenced, delayed, cut short or garbled; CTS low; the
// connection closed by the printer; the device removed; a restart (command
// 1D FF, or restart()) that drops the link for restartTime and brings it back;
// noise, random bytes sent unasked at a steady rate; status requests left
// unanswered (skip) or answered in two halves (split). While the link is down
// received bytes are logged but not acted on, and replies due before the
// restart are dropped. Every reply goes out through reply(), so the delay and
// the faults reach status, MICR, ID item and tally, flash, scan and
// configuration replies alike.
//
// Ownership: the printer refers to its scheduler and (once attached) its
// port; both must outlive it or be detached first. Single-threaded; input
// handlers never call back into the port directly (replies and link changes
// run as scheduled actions), so adapters may deliver from any callback.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/loop/LifeToken.h"
#include "platform/Text.h"
#include "printer-sim/SimLogo.h"
#include "printer-sim/SimPort.h"
#include "printer-sim/SimPrintLog.h"
#include "printer-sim/SimScan.h"
#include "printer-sim/SimScheduler.h"
#include "printer-sim/SimSlip.h"
#include "printer-sim/SimTally.h"
#include "printer-sim/SimStatus.h"

namespace sim {

class SimPrinter;

inline constexpr int kAnyByte = -1;
// A command's length function gives this when the bytes are not its command.
inline constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);

// A command's name in the log, followed by its last `arguments` bytes in
// decimal ("GS EOT 1").
std::function<std::string(const platform::Bytes& command)> commandName(std::string name, std::size_t arguments = 0);

struct SimCommand {
    std::vector<int> pattern;  // the command's leading bytes; kAnyByte matches any byte
    // For commands with a length field: the command's whole length, given the
    // bytes received so far (which start with the pattern); 0 while unknown.
    // Unset: the command is as long as its pattern.
    std::function<std::size_t(const platform::Bytes& pending)> length;
    std::function<std::string(const platform::Bytes& command)> describe;
    std::function<void(SimPrinter&, const platform::Bytes& command)> handle;  // unset: logged only
};

struct SimLogEntry {
    platform::Micros at = 0;
    bool hidReport = false;
    std::string framing;  // USB HID reports: how the length byte was read
    platform::Bytes raw;  // the chunk, or the whole report
    std::vector<std::string> decoded;  // commands this input completed; "unknown 41 42" for others
};

struct SimConfig {
    int printerType = 0;                       // 0-16
    std::string firmware = "0398";             // the answer to GS I @ A3 after the A3 byte
    std::uint8_t status = 0x12;                // one-byte answer to DLE EOT n
    // Between a command and its reply. Replies keep their order: one never
    // goes out before a reply scheduled ahead of it, even when the delay was
    // shortened between the two.
    platform::Micros replyDelay = 2000;        // 2 ms
    platform::Micros restartTime = 3'000'000;  // 3 s with the link down
    // How much later the second half of the status requests that arrived
    // together is answered than the first half (0: all at once).
    platform::Micros splitDelay = 0;
    // The configuration settings the printer holds: parameter number ->
    // value, as the configuration command set them (empty: the defaults).
    std::map<std::uint8_t, std::uint8_t> parameters;
};

// Silent: no reply goes out, neither to a command received while silent nor
// one that falls due while silent; the replies are dropped, not held back.
enum class ReplyFault { None, Silent, Short, Garbled };

// The seed of the noise's random source unless one is given: the same rate
// sends the same bytes every time.
inline constexpr std::uint32_t kNoiseSeed = 1;

class SimPrinter {
public:
    explicit SimPrinter(SimScheduler& scheduler, SimConfig config = {});
    SimPrinter(const SimPrinter&) = delete;
    SimPrinter& operator=(const SimPrinter&) = delete;

    void attach(SimPort* port) { port_ = port; }
    SimConfig& config() { return config_; }
    const SimConfig& config() const { return config_; }
    SimScheduler& scheduler() { return scheduler_; }
    // The ID items and usage counters.
    SimTally& tally() { return tally_; }
    const SimTally& tally() const { return tally_; }
    // The conditions behind the status replies, and what was printed.
    SimStatusModel& status() { return status_; }
    SimPaper& paper() { return paper_; }
    const SimPaper& paper() const { return paper_; }
    // The slip station with its MICR reader, the flash logos, the scanner.
    SimSlip& slip() { return slip_; }
    SimFlash& flash() { return flash_; }
    SimScanner& scanner() { return scanner_; }

    // --- Input from the transport ----------------------------------------
    void receive(const platform::Bytes& chunk);
    void receiveReport(const platform::Bytes& report);

    // --- Behaviour --------------------------------------------------------
    void addCommand(SimCommand command);
    // The answer to one exact command, in place of the table's (an empty
    // answer silences it); e.g. DLE EOT 4 answered 16h.
    void setReply(const platform::Bytes& command, platform::Bytes answer);
    // Back to the table's answers.
    void clearReplies() { replies_.clear(); }
    // Sends bytes after the reply delay, shaped by the reply fault. Command
    // handlers call it.
    void reply(const platform::Bytes& bytes) { reply(bytes, lateness()); }
    // The same, `late` later than the reply delay (never, with
    // platform::kForever), whatever command is being handled meanwhile.
    void reply(const platform::Bytes& bytes, platform::Micros late);
    // How late the reply of the command whose handler runs goes out: what
    // delayNextReply set for it, platform::kForever for a lost reply or a
    // skipped status request, else 0. The setting lasts only while the
    // handler runs, so one that sends its reply later takes it here first.
    platform::Micros lateness() const { return skipping_ ? platform::kForever : delaying_; }

    // --- Faults -----------------------------------------------------------
    void setReplyFault(ReplyFault fault, std::size_t shortLength = 1);
    // One random byte every `every` microseconds from now on, as scheduled
    // actions; 0 stops the noise. It goes on while replies are silenced and
    // waits while the link is down.
    void setNoise(platform::Micros every, std::uint32_t seed = kNoiseSeed);
    platform::Micros noiseInterval() const { return noiseEvery_; }
    // The next n status requests (those with a one-byte status reply: GS EOT
    // n, DLE EOT n, DLE EM n, ESC v, ESC u, GS r 1) go unanswered; 0 ends it.
    void skipStatusReplies(int n) { skipsLeft_ = std::max(n, 0); }
    // The next reply to `command` comes `extra` later than it would (never,
    // with platform::kForever); those after it still follow it in order.
    void delayNextReply(const platform::Bytes& command, platform::Micros extra) {
        nextDelayed_[platform::toText(command)] = extra;
    }
    int skipsLeft() const { return skipsLeft_; }
    // Counts every reply made from now on, from 0, whatever it answers
    // (status bytes, ID items, MICR, flash, scan blocks...); the n-th comes
    // extraByNumber[n] later than it would (never, with platform::kForever),
    // and those after it still follow it in order. An empty map counts on
    // and shapes nothing. A sweep that loses or delays each reply in turn
    // needs no knowledge of which command each flow sends.
    void shapeRepliesFromNow(std::map<int, platform::Micros> extraByNumber) {
        shapes_ = std::move(extraByNumber);
        repliesCounted_ = 0;
    }
    // Told of every reply counted since shapeRepliesFromNow, when it is
    // made: its number, its bytes, how much later than the reply delay it
    // goes out (platform::kForever: lost), and the command whose handler
    // made it (empty for a reply that waited for the line, an ID item's).
    struct CountedReply {
        int number;
        platform::Bytes bytes;
        platform::Micros extra;
        platform::Bytes command;
    };
    std::function<void(const CountedReply&)> onCountedReply;
    void setCtsLow(bool low);
    void closeConnection();
    void removeDevice();
    void restoreDevice();
    void restart();
    bool linkUp() const { return linkUp_; }
    int restarts() const { return restarts_; }

    // --- Log --------------------------------------------------------------
    const std::vector<SimLogEntry>& log() const { return log_; }
    // Every decoded command in order, e.g. {"DLE EOT 2", "GS I @ A3 (firmware)"}.
    std::vector<std::string> commands() const;
    void clearLog() { log_.clear(); }
    std::function<void(const SimLogEntry&)> onLog;

private:
    void parse(SimLogEntry& entry);
    const SimCommand* match(std::size_t& length, bool& needMore) const;
    void dispatch(const SimCommand& command, const platform::Bytes& bytes);
    void flushUnknown(SimLogEntry& entry);
    void schedule(const platform::Bytes& bytes, unsigned epoch, platform::Micros extra);
    void sendHeldReplies();
    void transmit(const platform::Bytes& bytes);
    void scheduleNoise(unsigned run);
    void setLink(bool up);
    void record(SimLogEntry entry);

    SimScheduler& scheduler_;
    SimConfig config_;
    SimTally tally_;
    SimStatusModel status_;
    SimPaper paper_;
    SimSlip slip_;
    SimFlash flash_;
    SimScanner scanner_;
    SimPort* port_ = nullptr;
    std::vector<SimCommand> commands_;  // newest first
    std::map<std::string, platform::Bytes> replies_;  // by the command's bytes as text
    ReplyFault fault_ = ReplyFault::None;
    std::size_t shortLength_ = 1;
    platform::Micros lastReplyAt_ = 0;  // when the latest scheduled reply goes out
    platform::Micros noiseEvery_ = 0;
    unsigned noiseRun_ = 0;  // bumps when the noise changes; actions of an older run stop
    std::minstd_rand noise_;
    bool linkUp_ = true;
    unsigned epoch_ = 0;  // bumps when the link drops; replies of an older epoch are lost
    int restarts_ = 0;
    platform::Bytes pending_;
    platform::Bytes unknown_;
    int skipsLeft_ = 0;
    // The replies made while one input call is read, held until its end so
    // the split knows which status requests were the second half.
    struct HeldReply {
        platform::Bytes bytes;
        unsigned epoch;
        int request;  // the status request answered, counted from 0 in the input call; -1: none
        platform::Micros extra = 0;
    };
    bool reading_ = false;
    std::vector<HeldReply> held_;
    int requestsRead_ = 0;  // status requests in the input call so far
    int answering_ = -1;    // the status request whose handler runs; -1: none
    bool skipping_ = false;  // that request goes unanswered
    std::map<std::string, platform::Micros> nextDelayed_;
    platform::Micros delaying_ = 0;  // of the replies of the command whose handler runs
    std::map<int, platform::Micros> shapes_;
    int repliesCounted_ = 0;
    platform::Bytes handling_;  // the command whose handler runs
    std::vector<SimLogEntry> log_;
    platform::LifeToken life_;
};

// The commands every simulated printer knows (status requests answered from
// its status model, firmware request, restart, the print commands that
// fill its paper, the slip station, flash logos and check scanner).
void addStandardCommands(SimPrinter& printer);

}  // namespace sim
