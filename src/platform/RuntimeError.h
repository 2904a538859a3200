// Run-time errors with the numbers the utility's own messages speak of.
//
// Platform and utility code throw RuntimeError where an operation fails in a
// way the user is told about by number and text (6 overflow, 7 out of memory,
// 9 subscript out of range, 13 type mismatch, 53 file not found, 75 path/file
// access error, serial and socket errors with their own numbers). Operations that trap
// errors catch it and copy number and description into their last-error
// fields; nothing else should catch it silently.
//
// An error that escapes an event handler stops where the handler was
// dispatched (the event loop's timers, posted events and descriptor watches,
// each subscriber of an event): runEventHandler reports it once through the one
// application-wide report the shell installs, and the loop, the handler's
// timer, the other subscribers and whatever yield ran the handler go on as
// if the handler had returned. The report may run a nested loop (a modal
// box); it runs after the error has been caught, never inside a catch.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace platform {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }

private:
    int number_;
    std::string description_;
};

// Well-known numbers, named so call sites read as what went wrong.
namespace err {
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIO = 57;
inline constexpr int PathFileAccess = 75;
inline constexpr int InvalidPortNumber = 8002;   // serial: no such port
inline constexpr int PortAlreadyOpen = 8005;     // serial: port in use
inline constexpr int PortNotOpen = 8018;         // serial: operation needs an open port
inline constexpr int PortOpenFailed = 8015;      // serial: could not set up the port
inline constexpr int InvalidProperty = 380;      // a property value the control refuses
}  // namespace err

// Throws RuntimeError with the standard description for the number.
[[noreturn]] void raiseError(int number);
// The standard description of a well-known number ("Overflow", ...).
std::string errorDescription(int number);

// The report of errors that escaped event handlers; one per process. With
// none installed the error is written to standard error.
using HandlerErrorReport = std::function<void(const RuntimeError&)>;
void setHandlerErrorReport(HandlerErrorReport report);
void reportHandlerError(const RuntimeError& error);

// Calls handler(); a RuntimeError escaping it is reported and goes no further.
template <class Handler>
void runEventHandler(Handler&& handler) {
    std::optional<RuntimeError> escaped;
    try {
        std::forward<Handler>(handler)();
    } catch (const RuntimeError& e) {
        escaped = e;
    }
    if (escaped) reportHandlerError(*escaped);
}

}  // namespace platform
