// A check scan's reception: the scanner's blocks taken byte by byte as the
// reply interpreter hands them over (the file information, the size
// information, then the image blocks), each fitted to its form and
// acknowledged, the image collected in arrival order and written to its
// bitmap file whole or not at all. A scan quiet for too long is given up.
//
// The session owns the reception's state; the window it runs in sends, shows
// the messages and prints the file (Host). A host call may yield (a send, a
// message box), so the scan's next bytes, or the window's unload, may come
// in the middle of one: the state is the session's, read afresh after each
// call. Nothing here blocks of itself.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Text.h"
#include "platform/loop/Clock.h"

namespace diagnostics {

class CheckScanSession {
public:
    // What a scan needs of the window it runs in.
    class Host {
    public:
        // A command to the scanner: ACK or CAN.
        virtual void sendToScanner(const platform::Bytes& command) = 0;
        // The scan failed, CAN sent: `message` is shown and the rest of the
        // reply it failed in is dropped; after a block that did not fit
        // (`mismatch`) what followed it in the input is thrown away too.
        virtual void scanFailed(const std::string& message, bool mismatch) = 0;
        // The last block came and the image was written to `fileName`
        // (`written`), or could not be.
        virtual void scanReceived(const std::string& fileName, bool written) = 0;
        // A scan started or ended (m_bScanning was set).
        virtual void scanningChanged(bool scanning) = 0;

        virtual ~Host() = default;
    };

    // A scan that sends nothing for this long is given up.
    static constexpr platform::Micros kScanQuietLimit = 20'000'000;

    explicit CheckScanSession(Host& host) : host_(host) {}

    void setScanning(bool scanning);
    // The scan was started on the printer at `now`: its file information
    // block is awaited.
    void start(platform::Micros now);
    // One byte of the scanner's reply, received at `now`.
    void HandleScanByte(std::uint8_t b, platform::Micros now);
    void ReceiveScanFileInfo(std::uint8_t b, int& Position, bool& result);
    void ReceiveScanSizeInfo(std::uint8_t b, int& Position, bool& result);
    void ReceiveScanImage(std::uint8_t b, int& Position, bool& LastBlock, bool& result);
    std::string CreateScanFileName();
    bool AppendBytesToFile(const std::string& fileName);
    // Gives the scan up when it has been quiet for kScanQuietLimit at `now`.
    void endIfQuiet(platform::Micros now);

    struct ScanReception {
        int Position = 0;  // next byte within the block; -1 the block is complete
        bool LastBlock = false;
        std::string FileName;
        std::uint8_t StatusCode = 0;
        int LengthLow = 0;
        std::int32_t BlockLength = 0;
        std::int32_t BlockCount = 0;
    };
    ScanReception ScanReceptionState;
    // The image bytes of all blocks in arrival order.
    platform::Bytes m_ScanImage;
    bool m_bScanning = false;
    int m_iScanPhase = 0;  // 0 idle, 1 file information, 2 size information, 3 image blocks

private:
    bool scanMismatch(const char* blockText);
    void endCheckScan();
    void stop();

    Host& host_;
    // When the last scan byte came.
    platform::Micros lastScanByteAt_ = 0;
    // The file is being written and printed: no quiet scan ends meanwhile.
    bool scanEnding_ = false;
};

}  // namespace diagnostics
