#include "printer-sim/SimDeviceLines.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "printer-sim/SimPrinter.h"

namespace sim {

const char* const kDeviceLinesHelp =
    "  insert check | insert edge | remove   a check fully in the slip station, in as far as its leading\n"
    "                                        edge sensor, or taken out\n"
    "  micr LINE          the check's MICR line, with t (transit), o (on-us), $ and - symbols\n"
    "  micr-status N      the MICR reply's status 0-4, or auto (0 with a check in, 2 without)\n"
    "  scan image FILE    the 1-bpp bitmap file a scan sends (default: a built-in check picture)\n"
    "  scan block N       image bytes per scan block (default 4096)\n"
    "  scan fault none | error LETTER | silent N | corrupt N\n"
    "                     a scan ends in an error status, goes quiet from block N, or sends block N\n"
    "                     corrupt (0 file information, 1 size information, 2 and up image blocks)\n"
    "  delay MS           wait MS milliseconds (0-600000) before every reply: status, MICR, ID items and\n"
    "                     tallies, flash, scan blocks, configuration (--reply-delay MS at the start)\n"
    "  silent | answer    stop answering, with the connection kept (replies due meanwhile are dropped),\n"
    "                     or answer again\n"
    "  noise N | noise off  send N random bytes a second unasked, 0.01 to 1000 (0.5: one every 2 s;\n"
    "                     --noise N at the start)\n"
    "  skip N             leave the next N status requests unanswered; 0 ends it (--skip N at the start)\n"
    "  split MS           answer the second half of the status requests written together MS milliseconds\n"
    "                     (0-600000) after the first half; 0 ends it (--split MS at the start)\n"
    "  late HEX.. MS      send the next reply to the command with the bytes HEX.. (such as 1D 49 40 33) MS\n"
    "                     milliseconds (0-600000) late; the replies after it wait behind it\n"
    "  lose HEX..         never send the next reply to the command with the bytes HEX..; for both, HEX.. is the\n"
    "                     whole command, not a beginning of it, and the next such command uses it up, replied to\n"
    "                     or not; 'late HEX.. 0' takes it back\n";

namespace {

bool number(const std::string& text, int max, int& out) {
    if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::stoi(text);
    return out <= max;
}

bool applyScanLine(SimScanner& scanner, std::istringstream& words, std::string& error) {
    std::string what, value, argument;
    words >> what;
    if (what == "image") {
        std::string path;
        std::getline(words >> std::ws, path);
        return loadScanImage(scanner, path, error);
    }
    words >> value >> argument;
    int n = 0;
    if (what == "block" && number(value, 0xFFFF, n) && n > 0) {
        scanner.blockSize = static_cast<std::size_t>(n);
        return true;
    }
    if (what == "fault" && value == "none") {
        scanner.fault = ScanFault::None;
        return true;
    }
    if (what == "fault" && value == "error" && argument.size() == 1) {
        scanner.fault = ScanFault::ErrorStatus;
        scanner.errorStatus = argument[0];
        return true;
    }
    if (what == "fault" && (value == "silent" || value == "corrupt") && number(argument, 1000000, n)) {
        scanner.fault = value == "silent" ? ScanFault::Silent : ScanFault::Corrupt;
        scanner.faultBlock = n;
        return true;
    }
    error = "give 'scan image FILE', 'scan block N' or 'scan fault none|error LETTER|silent N|corrupt N'";
    return false;
}

// Two hex digits a byte, at least one byte.
bool parseHexBytes(const std::vector<std::string>& texts, platform::Bytes& out) {
    for (const std::string& text : texts) {
        if (text.size() != 2 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
        out.push_back(static_cast<std::uint8_t>(std::stoi(text, nullptr, 16)));
    }
    return !out.empty();
}

// late HEX.. MS or lose HEX..: the MS is the last word, so the bytes are all
// the words before it.
bool applyLateLine(SimPrinter& printer, bool lose, std::istringstream& words, std::string& error) {
    std::vector<std::string> texts;
    for (std::string text; words >> text;) texts.push_back(text);
    int ms = 0;
    const bool timed = lose || (!texts.empty() && number(texts.back(), 600000, ms));
    if (!lose && timed) texts.pop_back();
    platform::Bytes command;
    if (!timed || !parseHexBytes(texts, command)) {
        error = lose ? "give 'lose HEX..' (command bytes in hex)"
                     : "give 'late HEX.. MS' (command bytes in hex, 0-600000)";
        return false;
    }
    printer.delayNextReply(command, lose ? platform::kForever : 1000LL * ms);
    return true;
}

// Delay, silence, noise, skipped and split status replies: how the printer answers.
bool applyAnswerLine(SimPrinter& printer, const std::string& verb, std::istringstream& words, std::string& error) {
    std::string value;
    words >> value;
    int ms = 0;
    platform::Micros every = 0;
    if (verb == "delay" && number(value, 600000, ms))
        printer.config().replyDelay = 1000LL * ms;
    else if (verb == "delay")
        error = "give 'delay MS' (0-600000)";
    else if (verb == "silent" || verb == "answer")
        printer.setReplyFault(verb == "silent" ? ReplyFault::Silent : ReplyFault::None);
    else if (verb == "noise" && parseNoiseRate(value, every))
        printer.setNoise(every);
    else if (verb == "noise")
        error = "give 'noise N' (random bytes a second, 0.01 to 1000) or 'noise off'";
    else if (verb == "skip" && number(value, 100000, ms))
        printer.skipStatusReplies(ms);
    else if (verb == "skip")
        error = "give 'skip N' (status requests, 0-100000)";
    else if (verb == "split" && number(value, 600000, ms))
        printer.config().splitDelay = 1000LL * ms;
    else if (verb == "split")
        error = "give 'split MS' (0-600000)";
    else
        return false;
    return true;
}

}  // namespace

bool parseNoiseRate(const std::string& text, platform::Micros& every) {
    if (text == "off") {
        every = 0;
        return true;
    }
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
    char* end = nullptr;
    const double rate = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || (rate != 0 && (rate < 0.01 || rate > 1000))) return false;
    every = rate == 0 ? 0 : std::llround(1e6 / rate);
    return true;
}

bool applyDeviceLine(SimPrinter& printer, const std::string& line, std::string& error) {
    std::istringstream words(line);
    std::string verb, object;
    words >> verb;
    error.clear();
    if (verb == "insert") {
        words >> object;
        if (object == "check" || object == "edge")
            setSlipDocument(printer.status(), object == "check" ? SlipDocument::Inserted : SlipDocument::LeadingEdge);
        else
            error = "give 'insert check' or 'insert edge'";
        return true;
    }
    if (verb == "remove") {
        setSlipDocument(printer.status(), SlipDocument::None);
        return true;
    }
    if (verb == "micr") {
        const auto start = line.find_first_not_of(' ', line.find("micr") + 4);
        printer.slip().micrLine = start == std::string::npos ? "" : line.substr(start);
        return true;
    }
    if (verb == "micr-status") {
        words >> object;
        int n = 0;
        if (object == "auto")
            printer.slip().micrStatus = -1;
        else if (number(object, 255, n))
            printer.slip().micrStatus = n;
        else
            error = "give 'micr-status N' (0-255) or 'micr-status auto'";
        return true;
    }
    if (verb == "scan") {
        applyScanLine(printer.scanner(), words, error);
        return true;
    }
    if (verb == "late" || verb == "lose") {
        applyLateLine(printer, verb == "lose", words, error);
        return true;
    }
    return applyAnswerLine(printer, verb, words, error);
}

}  // namespace sim
