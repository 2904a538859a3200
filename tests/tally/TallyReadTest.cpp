// Reading the ID items and tallies when the window opens, on every link,
// for a standard, a kiosk and a type 9 printer.
#include "TallyTestSupport.h"

namespace tallytest {
namespace {

class TallyRead : public TallyWorld {};

const Strings kIds = {"3640           ", "SN00012345", "0102", "5A1F", "BT-004412-01", "0398", "C39E", "FW-007731-02"};

TEST_F(TallyRead, ReadsOnOpeningOnEveryLink) {
    struct Case {
        int type;
        Strings tallies;
    } cases[] = {
        {0, {"12345", "678", "90", "4321", "12", "345", "23", "1", "56", "2", "", ""}},
        {12, {"12345", "678", "", "", "", "345", "23", "1", "56", "2", "789", ""}},
        {9, {"12345", "678", "90", "4321", "12", "345", "23", "1", "56", "2", "", "34"}},
    };
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(shelltest::linkName(link)) + " type " + std::to_string(c.type));
            detachPrinter();  // a USB printer shows its type's identity when attached
            connect(link, c.type);
            openTally();
            Strings ids = kIds;
            ids[0] = c.type == 0 ? "3640           " : c.type == 12 ? "R809           " : "3720-2ST       ";
            EXPECT_EQ(idTexts(), ids);
            EXPECT_EQ(tallyTexts(), c.tallies);
            EXPECT_EQ(w().PrinterOnlineText.Text(), "Online");
            ASSERT_TRUE(driver.click(w().CloseButton));
            ASSERT_TRUE(clickButton(2));  // Disconnect
        }
    }
}

}  // namespace
}  // namespace tallytest
