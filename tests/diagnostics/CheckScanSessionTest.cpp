// The check scan's reception without a window: the scanner's blocks in,
// what the session asks of its window out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "diagnostics/CheckScanSession.h"
#include "platform/Application.h"
#include "platform/loop/Clock.h"

namespace {

namespace fs = std::filesystem;
using diagnostics::CheckScanSession;
using platform::Bytes;
using Strings = std::vector<std::string>;

// The file information block with its status letter.
std::string fileInformation(char status) {
    std::string block("S BF1\x1FP@\x1F" "12\x1F" "4804848");
    block[7] = status;
    return block;
}
const std::string kFileInformation = fileInformation('@');
const std::string kSizeInformation("S BS00\x1F" "1\x1F" "2\x1F" "3\x1F" "4\x1F" "5\x1F" "6\x1F" "7");

std::string withEnd(const std::string& block) { return block + '\0'; }

class FakeHost : public CheckScanSession::Host {
public:
    void sendToScanner(const Bytes& command) override { events.push_back(command == Bytes{0x06} ? "ACK" : "CAN"); }
    void scanFailed(const std::string& message, bool mismatch) override {
        events.push_back((mismatch ? "mismatch: " : "failed: ") + message);
    }
    void scanReceived(const std::string& fileName, bool written) override {
        events.push_back(std::string(written ? "written " : "not written ") + (fileName.empty() ? "" : "file"));
        file = fileName;
    }
    void scanningChanged(bool scanning) override { events.push_back(scanning ? "scanning" : "stopped"); }
    Strings events;
    std::string file;
};

class CheckScanSessionTest : public ::testing::Test {
protected:
    CheckScanSessionTest()
        : folder_(fs::temp_directory_path() / ("scan_session_" + std::to_string(::getpid()))),
          previous_(fs::current_path()) {
        fs::create_directories(folder_);
        fs::current_path(folder_);
        session.setScanning(true);
        session.start(0);
        host.events.clear();
    }
    ~CheckScanSessionTest() override {
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }
    void feed(const std::string& bytes, platform::Micros at = 0) {
        for (char c : bytes) session.HandleScanByte(static_cast<std::uint8_t>(c), at);
    }

    FakeHost host;
    CheckScanSession session{host};

private:
    fs::path folder_, previous_;
};

TEST_F(CheckScanSessionTest, BlocksAreAcknowledgedAndTheImageWrittenWholeAtTheLast) {
    feed(withEnd(kFileInformation));
    feed(withEnd(kSizeInformation));
    EXPECT_EQ(session.m_iScanPhase, 3);
    feed(std::string("S A\x03\x00" "abc", 8));
    feed(std::string("S @\x00\x00", 5));
    EXPECT_EQ(host.events, (Strings{"ACK", "ACK", "ACK", "ACK", "written file", "stopped"}));
    EXPECT_FALSE(session.m_bScanning);
    EXPECT_EQ(session.m_iScanPhase, 0);
    std::ifstream in(host.file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "abc");
    EXPECT_EQ(host.file.rfind("Scan_", 0), 0u);
}

TEST_F(CheckScanSessionTest, EachFaultSendsCanShowsItsMessageAndEndsTheScan) {
    const std::string mismatch = "mismatch: Scan Error\r\n";
    const std::string advice = "\r\nPlease verify the printer enables check scan function.";
    struct Case {
        const char* name;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"error status", withEnd(fileInformation('D')),
         "failed: Scan Error: Error Code = 68\r\nProcessing stopped due to cover open."},
        {"corrupt file information", "S X", mismatch + "Cannot retrieve valid file information block." + advice},
        {"corrupt size information", withEnd(kFileInformation) + "S BX",
         mismatch + "Cannot retrieve valid size information block." + advice},
        {"corrupt image block", withEnd(kFileInformation) + withEnd(kSizeInformation) + "S X",
         mismatch + "Cannot retrieve valid scanned image." + advice},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session.setScanning(true);
        session.start(0);
        host.events.clear();
        feed(c.bytes);
        ASSERT_GE(host.events.size(), 3u);
        EXPECT_EQ(Strings(host.events.end() - 3, host.events.end()), (Strings{"CAN", c.message, "stopped"}));
        EXPECT_EQ(session.m_iScanPhase, 0);
        EXPECT_EQ(session.ScanReceptionState.Position, 0);
    }
}

TEST_F(CheckScanSessionTest, AScanQuietForItsLimitIsGivenUp) {
    feed(withEnd(kFileInformation), 1'000'000);
    session.endIfQuiet(1'000'000 + CheckScanSession::kScanQuietLimit - 1);
    EXPECT_EQ(host.events, Strings{"ACK"});
    session.endIfQuiet(1'000'000 + CheckScanSession::kScanQuietLimit);
    EXPECT_EQ(host.events, (Strings{"ACK", "CAN",
                                    "mismatch: Scan Error\r\nCannot retrieve valid size information block.\r\n"
                                    "Please verify the printer enables check scan function.",
                                    "stopped"}));
    EXPECT_FALSE(session.m_bScanning);
}

// The image replaces a file of its name only once it is written whole; a scan
// that fails, or has not come in yet, leaves that file as it was.
TEST_F(CheckScanSessionTest, AnExistingFileOfTheScansNameKeepsItsContentUntilTheImageReplacesIt) {
    platform::VirtualClock clock;
    platform::app().setClock(&clock);
    const std::string name = session.CreateScanFileName();
    struct Case {
        const char* name;
        std::string bytes;
        std::string content;
    } cases[] = {
        {"not in yet", withEnd(kFileInformation) + withEnd(kSizeInformation), "old"},
        {"failed", withEnd(kFileInformation) + "S BX", "old"},
        {"written", withEnd(kFileInformation) + withEnd(kSizeInformation) + std::string("S @\x03\x00" "abc", 8), "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(name, std::ios::binary) << "old";
        session.setScanning(true);
        session.start(0);
        feed(c.bytes);
        std::ifstream in(name, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.content);
    }
    platform::app().setClock(nullptr);
}

}  // namespace
