#include "diagnostics/ScannerCommands.h"

#include "diagnostics/DiagnosticPrinter.h"
#include "link/PrinterCommands.h"

namespace diagnostics {

void ScannerCommands::ClearScanImages() { printer_.sendCommand(printerlink::ClearScanImagesCommand); }
void ScannerCommands::SendScanSetupLt() { printer_.sendCommand(printerlink::ScanSetupLtCommand); }
void ScannerCommands::SendScanParamLevel(std::uint8_t n) { printer_.sendCommand(printerlink::ScanLevelCommand(n)); }
void ScannerCommands::SendScanSetupE() { printer_.sendCommand(printerlink::ScanSetupECommand); }
void ScannerCommands::SendScanSetup2() { printer_.sendCommand(printerlink::ScanSetup2Command); }
void ScannerCommands::StartCheckScan() { printer_.sendCommand(printerlink::StartCheckScanCommand); }
void ScannerCommands::SendScanEndJ() { printer_.sendCommand(printerlink::EndScanCommand); }

}  // namespace diagnostics
