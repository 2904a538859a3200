// Finding the USB HID printer among the HID devices and opening it.
#include "link/HidProducts.h"
#include "link/LinkFlags.h"
#include "link/PrinterLink.h"
#include "platform/RuntimeError.h"

namespace printerlink {

namespace {

// Characters first..last (1-based, inclusive) of text; shorter when the text ends first.
std::string mid(const std::string& text, std::size_t first, std::size_t last) {
    if (first > text.size()) return {};
    return text.substr(first - 1, last - first + 1);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

// A device that was opened but did not answer the firmware request is
// closed before the next one is tried. The handle decides, not the found
// flag: a read taken for a status poll clears the flag and keeps the device
// open.
void PrinterLink::closeSilentDevice() {
    if (m_lngHIDHandle > 0 && !m_bFirmwareAnswered) closeHidDevice();
}

// A walk that ends without a printer holds no device, so the handle never
// reads as open while the result says nothing was found.
void PrinterLink::releaseUnfoundDevice() {
    if (!m_bHIDDeviceFound) closeHidDevice();
}

void PrinterLink::adoptEnumeratedDevice(const std::string& productText) {
    const HidModelFlags flags = modelFlagsForProduct(productText);
    bKiosk = flags.bKiosk;
    b2stFlag = flags.b2stFlag;
    bFontType = flags.bFontType;
    bSSC06 = flags.bSSC06;
    bNoSlipMICR = flags.bNoSlipMICR;
    Getthedprintername(productText);
}

bool PrinterLink::EnumerateUSBDevice() {
    closeHidDevice();
    m_bHIDDeviceFound = false;
    m_bFirmwareAnswered = false;
    // The model flags describe the printer of this connect only.
    bKiosk = b2stFlag = bFontType = bSSC06 = bNoSlipMICR = false;
    std::string heldProduct;
    for (const std::string& identifier : hid_.usbDeviceIdentifiers()) {
        if (m_bFirmwareAnswered) break;
        if (mid(identifier, 1, 3) != "HID" || mid(identifier, 10, 13) != "1B7D") continue;
        const std::string productText = mid(identifier, 6, 22);
        if (!isPrinterProduct(productText)) continue;
        const std::string path = "\\\\?\\" + replaceAll(identifier, "\\\\", "#") + "#" + platform::kHidClassGuid;
        closeSilentDevice();
        OpenHidPrinter(path);
        if (m_bHIDDeviceFound) {
            heldProduct = productText;
            RequestFirmwareVersion();
        }
    }
    releaseUnfoundDevice();
    // The flags and the stored model come from the device the walk ends
    // with, never from devices passed over.
    if (m_bHIDDeviceFound) adoptEnumeratedDevice(heldProduct);
    // The result is the state of the device the walk ends with.
    return m_bHIDDeviceFound;
}

bool PrinterLink::fncFindHIDDevice() {
    closeHidDevice();
    m_bHIDDeviceFound = false;
    m_bFirmwareAnswered = false;
    VidPID();
    for (const std::string& interfacePath : hid_.hidInterfacePaths()) {
        if (m_bFirmwareAnswered) break;
        closeSilentDevice();
        OpenHidPrinter(platform::toUpperAscii(interfacePath));
        if (m_bHIDDeviceFound) RequestFirmwareVersion();
    }
    releaseUnfoundDevice();
    return m_bHIDDeviceFound;
}

void PrinterLink::Getthedprintername(const std::string& identifier) {
    std::string anyAhpiPrinter, modelText;
    if (printerNameForProduct(identifier, anyAhpiPrinter, modelText)) m_AnyAHPIPrinter = anyAhpiPrinter;
    settings().WriteIniValue("Configurations", "Model", modelText);
    if (isTwoStationModelText(modelText)) b2stFlag = true;
}

void PrinterLink::VidPID() { vidPidForProductName(strUSBProductID, StrVidPid); }

}  // namespace printerlink
