// The check scanner's commands as the diagnostics window's scan sends them:
// clearing stored images, the scan's set-up, its start and its end. They go
// out through the window's DiagnosticPrinter, so they stop with everything
// else it sends once the operation has stopped.
//
// Ownership: the window owns one beside the DiagnosticPrinter it refers to.
// What may block: every command sends, and sends yield.
#pragma once

#include <cstdint>

namespace diagnostics {

class DiagnosticPrinter;

class ScannerCommands {
public:
    explicit ScannerCommands(DiagnosticPrinter& printer) : printer_(printer) {}

    void ClearScanImages();
    void SendScanSetupLt();
    void SendScanParamLevel(std::uint8_t n);
    void SendScanSetupE();
    void SendScanSetup2();
    void StartCheckScan();
    void SendScanEndJ();

private:
    DiagnosticPrinter& printer_;
};

}  // namespace diagnostics
