#include "platform/RuntimeError.h"

namespace platform {

std::string errorDescription(int number) {
    switch (number) {
        case err::Overflow: return "Overflow";
        case err::SubscriptOutOfRange: return "Subscript out of range";
        case err::TypeMismatch: return "Type mismatch";
        case err::FileNotFound: return "File not found";
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

}  // namespace platform
