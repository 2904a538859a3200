// Reading the ID items and tallies when the window opens, on every link,
// for a standard, a kiosk and a type 9 printer.
#include <algorithm>

#include "TallyTestSupport.h"

namespace tallytest {
namespace {

class TallyRead : public TallyWorld {};

const Strings kType12Tallies = {"12345", "678", "", "", "", "345", "23", "1", "56", "2", "789", ""};
const Strings kTwoStationTallies = {"12345", "678", "90", "4321", "12", "345", "23", "1", "56", "2", "", "34"};
const Strings kIds = {"3640           ", "SN00012345", "0102", "5A1F", "BT-004412-01", "0398", "C39E", "FW-007731-02"};

TEST_F(TallyRead, ReadsOnOpeningOnEveryLink) {
    struct Case {
        int type;
        const char* model;
        Strings tallies;
    } cases[] = {
        {0, "3640           ", {"12345", "678", "90", "4321", "12", "345", "23", "1", "56", "2", "", ""}},
        {12, "R809           ", kType12Tallies},
        {9, "3720-2ST       ", kTwoStationTallies},
        {15, "3720-1ST       ", kTwoStationTallies},
    };
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(shelltest::linkName(link)) + " type " + std::to_string(c.type));
            detachPrinter();  // a USB printer shows its type's identity when attached
            connect(link, c.type);
            openTally();
            Strings ids = kIds;
            ids[0] = c.model;
            EXPECT_EQ(idTexts(), ids);
            EXPECT_EQ(tallyTexts(), c.tallies);
            EXPECT_EQ(w().PrinterOnlineText.Text(), "Online");
            ASSERT_TRUE(driver.click(w().CloseButton));
            ASSERT_TRUE(clickButton(2));  // Disconnect
        }
    }
}

// The printer leaves one ID item unanswered: only its box stays empty, and
// on USB HID the window is ready within a second. Types 9 and 15 send two
// bytes ahead of the flash part number; type 12 reads receipt lines (back)
// twice, and the second reply's digits look like ID item codes.
TEST_F(TallyRead, AnItemLeftUnansweredEmptiesOnlyItsOwnBox) {
    const Strings standard = {"12345", "678", "90", "4321", "12", "345", "23", "1", "56", "2", "", ""};
    const struct {
        int type;
        std::size_t item;
        const char* model;
        const Strings& tallies;
    } cases[] = {{0, 4, "3640           ", standard},    {0, 6, "3640           ", standard},
                 {9, 3, "3720-2ST       ", kTwoStationTallies},  {9, 7, "3720-2ST       ", kTwoStationTallies},
                 {15, 3, "3720-1ST       ", kTwoStationTallies}, {12, 6, "R809           ", kType12Tallies}};
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(shelltest::linkName(link)) + " type " + std::to_string(c.type) + " item " +
                         std::to_string(c.item));
            detachPrinter();
            connect(link, c.type);
            printer.setReply(printerlink::IdItemCommand(tally::IdItemCode(static_cast<int>(c.item), tally::IdItemOp::Read)), {});
            openTally();
            idle(499);
            Strings ids = kIds;
            ids[0] = c.model;
            ids[c.item] = "";
            EXPECT_EQ(idTexts(), ids);
            EXPECT_EQ(tallyTexts(), c.tallies);
            EXPECT_TRUE(w().PrintFormButton.Enabled());
            printer.clearReplies();
            ASSERT_TRUE(driver.click(w().CloseButton) && clickButton(2));
        }
    }
}

// A TCP printer the link has found silent keeps its connection: the window
// opens Offline on it, and reads once the printer answers again.
TEST_F(TallyRead, ReadsOnceATcpPrinterFoundSilentAsItOpenedAnswersAgain) {
    connect(Link::Lan);
    printer.setReplyFault(sim::ReplyFault::Silent);
    printer.closeConnection();  // reported as a silence; the link connects again
    idle(100);
    openTally();
    EXPECT_EQ(w().PrinterOnlineText.Text(), "Offline");
    EXPECT_EQ(idTexts(), Strings(tally::kIdItemCount));
    printer.setReplyFault(sim::ReplyFault::None);
    idle(6500);
    EXPECT_EQ(w().PrinterOnlineText.Text(), "Online");
    EXPECT_EQ(idTexts(), kIds);
}

// Serial and TCP hand over what has arrived, several replies in one block or
// a reply cut anywhere; what the window shows must not depend on where blocks
// start. Types 9 and 15 send lead bytes ahead of the flash part number; a
// status answer ahead of them leaves that box empty and no other wrong. A
// noise byte that looks like a tally's code ahead of the first reply leaves
// that reply's box empty, and the tally's own reply still fills its box.
TEST_F(TallyRead, RepliesInBlocksOfAnySize) {
    enum Ahead { None, Status, NoiseCode };
    for (auto [link, type, ahead] : {std::tuple{Link::Lan, 9, None}, {Link::Lan, 15, None}, {Link::Serial, 9, None},
                                     {Link::Serial, 15, None}, {Link::Lan, 15, Status}, {Link::Serial, 9, NoiseCode}}) {
        SCOPED_TRACE(std::string(shelltest::linkName(link)) + " type " + std::to_string(type));
        connect(link, type);
        Bytes stream;
        auto listening = mainWindow().OnDataReceived.subscribe(
            [&stream](const Bytes& block) { stream.insert(stream.end(), block.begin(), block.end()); });
        openTally();
        listening.reset();
        Strings ids = kIds;
        ids[0] = type == 9 ? "3720-2ST       " : "3720-1ST       ";
        if (ahead == NoiseCode) {
            stream.insert(stream.begin(), tally::TallyReplyMarker(tally::kCoverOpens, false, type));
            ids[0] = "";
        }
        if (ahead == Status) {
            const Bytes lead = {0x01, 0x02, 0x33};
            stream.insert(std::search(stream.begin(), stream.end(), lead.begin(), lead.end()), 0x12);
            ids[7] = "";
        }
        const Strings& tallies = kTwoStationTallies;
        printer.setReplyFault(sim::ReplyFault::Silent);
        for (std::size_t blockSize : {stream.size(), std::size_t{1}}) {
            printerlink::statusHandshake.m_Flag = true;  // serial reads again on a line change only when asked
            w().m_MainComm_OnStatusUpdated(4);  // on TCP every online status reads again
            ASSERT_EQ(idTexts()[0], "");
            for (std::size_t at = 0; at < stream.size(); at += blockSize)
                w().m_MainComm_OnDataReceived(Bytes(stream.begin() + static_cast<long>(at),
                                                    stream.begin() + static_cast<long>(std::min(at + blockSize, stream.size()))));
            EXPECT_EQ(idTexts(), ids) << "block size " << blockSize;
            EXPECT_EQ(tallyTexts(), tallies) << "block size " << blockSize;
        }
        printer.setReplyFault(sim::ReplyFault::None);
        ASSERT_TRUE(driver.click(w().CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

}  // namespace
}  // namespace tallytest
