// Which request each status byte answers, on a loop of its own.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/RequestDoor.h"
#include "platform/loop/EventLoop.h"

namespace {

using printerlink::ReplyForm;
using printerlink::RequestDoor;

// However the printer spaces out a set's replies they keep their rows; a
// lost or stray byte costs at most the set it falls in, and a byte that may
// be the late answer of a request given up says so.
TEST(RequestDoor, EachByteAnswersTheRequestThatAskedForIt) {
    struct Step {
        char what;  // 'p' a poll of 4 asked, 'r' a real-time status request, 'o' an own request,
                    // 't' a byte comes, 'l' the first window leaves, 'q' a poll of a second window,
                    // 'n' a poll whose send waits for the line while a click asks an own request,
                    // 'w' a poll posted by the first window (its answer read by nobody),
                    // 'e' the last own request let go by its asker, 'a' it asked again,
                    // 'k' an ID item asked by the first window, 'K' by the second
        platform::Micros at;
        ReplyForm form = ReplyForm::Status;  // of 'o' and 't'
        int key = -1;                        // of 'k', 'K' and 't': an ID item's code
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        // Per 'p', 'r', 'o', 'q': "S" when it was skipped as something was owed.
        // Per 't': the row, "rt", "own" or "-" for nothing; "~" when it may be late.
        // Per 'n': "n", "H" when the click's request still waited 20 s on, "u" when the
        // door told the click that a send runs below it.
        std::string got;
    } cases[] = {
        {"part of a poll 300 ms late",
         {{'p', 0}, {'t', 10'000}, {'t', 10'000}, {'t', 310'000}, {'t', 310'000}},
         "p 0 1 2 3"},
        {"a slow printer's reply lost: given up once the rest of its set came, every row of the next set may be "
         "shifted by its late answer, and the poll after waits out the marks that set left",
         {{'p', 0}, {'t', 600'000}, {'t', 600'000}, {'t', 600'000}, {'p', 1'500'000}, {'p', 2'000'000},
          {'t', 2'600'000}, {'t', 2'600'000}, {'t', 2'600'000}, {'t', 2'600'000}, {'p', 3'000'000}, {'p', 4'000'000},
          {'t', 4'600'000}, {'t', 4'600'000}, {'t', 4'600'000}, {'t', 4'600'000}},
         "p 0 1 2 S p 0~ 1~ 2~ 3~ S p 0 1 2 3"},
        {"real-time status once the poll is answered; a byte past it answers nothing",
         {{'p', 0}, {'t', 100}, {'t', 100}, {'t', 100}, {'t', 100}, {'r', 200}, {'t', 900'000}, {'t', 900'000}},
         "p 0 1 2 3 r rt -"},
        {"byte before any request, and one after all were given up",
         {{'t', 0}, {'p', 10}, {'t', 6'000'000}},
         "- p -"},
        {"a poll answered 6 s late: the own request after its give-up stays open past the late answers",
         {{'p', 0}, {'o', 5'600'000}, {'t', 6'000'000}, {'t', 6'000'000}, {'t', 6'000'000}, {'t', 6'000'000},
          {'t', 6'000'000}, {'o', 6'100'000}, {'t', 6'100'000}},
         "p o own~ own~ own~ own~ own o own"},
        {"a closed window's requests are dropped: the next window asks at once, its replies may be theirs",
         {{'p', 0}, {'l', 100}, {'q', 300}, {'t', 400}, {'t', 400}, {'t', 400}, {'t', 400}, {'t', 400}},
         "p q 0~ 1~ 2~ 3~ -"},
        {"a closed window's posted poll: its answer may shift the next window's rows",
         {{'w', 0}, {'l', 100}, {'q', 300}, {'t', 400}, {'t', 400}, {'t', 400}, {'t', 400}},
         "w q 0~ 1~ 2~ 3~"},
        {"a post older than the give-up when its window closed is answered for certain",
         {{'w', 0}, {'l', 6'000'000}, {'q', 6'000'100}, {'t', 6'000'200}, {'t', 6'000'200}, {'t', 6'000'200},
          {'t', 6'000'200}},
         "w q 0 1 2 3"},
        {"an own request never answered: the next reads past one byte; asked again, the next byte is its answer, "
         "and the ask again leaves no mark",
         {{'o', 0}, {'o', 5'600'000}, {'t', 5'700'000}, {'a', 5'700'000}, {'t', 5'710'000}, {'o', 5'800'000},
          {'o', 6'100'000}, {'t', 6'100'000}},
         "o o own~ a own S o own"},
        {"an ESC answer that never comes, on a link that polls GS EOT: a poll answered after it ends its mark",
         {{'o', 0, ReplyForm::Esc}, {'p', 5'600'000}, {'t', 5'700'000}, {'t', 5'700'000}, {'t', 5'700'000},
          {'t', 5'700'000}, {'o', 5'800'000, ReplyForm::Esc}, {'t', 5'900'000, ReplyForm::Esc}},
         "o p 0 1 2 3 o own"},
        {"a kiosk answer that never comes and nothing asked since: its mark lapses",
         {{'o', 0, ReplyForm::Kiosk}, {'o', 11'100'000, ReplyForm::Kiosk}, {'t', 11'200'000, ReplyForm::Kiosk}},
         "o o own"},
        {"the real-time status answer overtakes what was asked before it: it ends no mark",
         {{'o', 0, ReplyForm::Esc}, {'r', 5'600'000}, {'t', 5'700'000}, {'o', 5'800'000, ReplyForm::Esc},
          {'t', 5'900'000, ReplyForm::Esc}},
         "o r rt o own~"},
        {"a closed window's ID item answered late answers nobody, and gives up none of the next window's",
         {{'k', 0, ReplyForm::IdItem, 0x97}, {'l', 100}, {'K', 200, ReplyForm::IdItem, 0x27},
          {'K', 300, ReplyForm::IdItem, 0x97}, {'t', 4'000'000, ReplyForm::IdItem, 0x97},
          {'t', 4'000'100, ReplyForm::IdItem, 0x27}, {'t', 4'000'200, ReplyForm::IdItem, 0x97}},
         "k K K id~ id id"},
        {"a click served during a poll's send, the printer silent: its request does not wait for good",
         {{'n', 0}},
         "nu"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::VirtualClock clock;
        platform::EventLoop loop{clock};
        RequestDoor door(loop, {});
        const RequestDoor::Owner first = door.enter(), second = door.enter();
        std::string got;
        RequestDoor::Ticket own = 0;
        const auto ask = [&](RequestDoor::Owner owner, int tag, int rows, char name, ReplyForm form = ReplyForm::Status) {
            const bool sent = door.tryAsk(owner, form, tag, rows, [] { return true; }) != 0;
            got += sent ? std::string(1, name) : "S";
        };
        for (const Step& step : c.steps) {
            clock.advanceTo(step.at);
            if (!got.empty()) got += ' ';
            if (step.what == 'p') ask(first, printerlink::kPollSet, 4, 'p');
            if (step.what == 'q') ask(second, printerlink::kPollSet, 4, 'q');
            if (step.what == 'r') ask(first, printerlink::kRealTimeStatus, 1, 'r');
            if (step.what == 'o') {
                own = door.tryAsk(first, step.form, printerlink::kOwnRequest, 1, [] { return true; });
                got += own != 0 ? "o" : "S";
            }
            if (step.what == 'e') door.release(own);
            if (step.what == 'a') got += door.askAgain(own, [] { return true; }) ? "a" : "A";
            if (step.what == 'k' || step.what == 'K') {
                const bool sent = door.askKeyed(step.what == 'k' ? first : second, ReplyForm::IdItem, step.key,
                                                [] { return true; }) != 0;
                got += sent ? std::string(1, step.what) : "S";
            }
            if (step.what == 'w') got += door.post(first, ReplyForm::Status, [] { return true; }) ? "w" : "S";
            if (step.what == 'n') {
                bool held = false, under = false;
                door.tryAsk(first, ReplyForm::Status, printerlink::kPollSet, 4, [&] {
                    const platform::Micros from = clock.now();
                    door.ask(first, ReplyForm::Status, printerlink::kOwnRequest, 1, [] { return true; },
                             [&] { return held = clock.now() - from > 20'000'000; });
                    under = door.sendUnderWay();
                    return true;
                });
                got += held ? "nH" : "n";
                if (under && !door.sendUnderWay()) got += 'u';
            }
            if (step.what == 'l') {
                door.leave(first);
                got.pop_back();
            }
            if (step.what == 't') {
                std::optional<int> key;
                if (step.key >= 0) key = step.key;
                const RequestDoor::Answer a = door.take({step.form, step.at, key});
                got += a.owner == 0                             ? "-"
                       : a.tag == printerlink::kRealTimeStatus ? "rt"
                       : a.tag == printerlink::kOwnRequest     ? "own"
                       : a.tag == printerlink::kIdItem         ? "id"
                                                                : std::to_string(a.row);
                if (a.whose() == RequestDoor::Whose::Late) got += '~';
            }
        }
        EXPECT_EQ(got, c.got);
    }
}

}  // namespace
