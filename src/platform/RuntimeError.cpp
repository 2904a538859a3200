#include "platform/RuntimeError.h"

#include <cstdio>

namespace platform {

std::string errorDescription(int number) {
    switch (number) {
        case err::Overflow: return "Overflow";
        case err::OutOfMemory: return "Out of memory";
        case err::SubscriptOutOfRange: return "Subscript out of range";
        case err::TypeMismatch: return "Type mismatch";
        case err::FileNotFound: return "File not found";
        case err::DeviceIO: return "Device I/O error";
        case err::PathFileAccess: return "Path/File access error";
        case err::InvalidProperty: return "Invalid property value";
        case err::InvalidPortNumber: return "Invalid port number";
        case err::PortAlreadyOpen: return "Port already open";
        case err::PortOpenFailed: return "Could not set up the port";
        case err::PortNotOpen: return "Operation valid only when the port is open";
        default: return "Application-defined or object-defined error";
    }
}

void raiseError(int number) { throw RuntimeError(number, errorDescription(number)); }

namespace {
HandlerErrorReport& handlerErrorReport() {
    static HandlerErrorReport report;
    return report;
}
}  // namespace

void setHandlerErrorReport(HandlerErrorReport report) { handlerErrorReport() = std::move(report); }

void reportHandlerError(const RuntimeError& error) {
    // A copy: the report may replace itself while it runs.
    const HandlerErrorReport report = handlerErrorReport();
    if (report) {
        report(error);
        return;
    }
    std::fprintf(stderr, "Run-time error %d in an event handler: %s\n", error.number(), error.description().c_str());
}

}  // namespace platform
