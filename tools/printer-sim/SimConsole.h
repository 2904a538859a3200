// Lines typed on printer-sim's standard input while it runs:
//   set NAME / clear NAME   turn a status condition on or off
//   tallies (or Enter)      prints the ID items and tallies each printer keeps
//   config                  prints the configuration each simulated printer holds
//   the slip, MICR and scanner lines of SimDeviceLines.h, and its lines
//   for how the printer answers: delay MS, silent, answer, noise N|off,
//   skip N, split MS
// Anything else is answered with the list of lines it knows.
//
// The console watches the descriptor on the loop and reads what is ready;
// at end of input (or a read error) it stops watching. The printers and the
// output stream outlive it.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/loop/EventLoop.h"

namespace sim {

class SimPrinter;

// What one typed line does, written to `out`.
void runConsoleLine(const std::string& line, const std::vector<SimPrinter*>& printers, std::ostream& out);

class SimConsole {
public:
    SimConsole(platform::EventLoop& loop, int fd, std::function<std::vector<SimPrinter*>()> printers,
               std::ostream& out);
    ~SimConsole();
    SimConsole(const SimConsole&) = delete;
    SimConsole& operator=(const SimConsole&) = delete;

private:
    void onReady();
    void stop();

    platform::EventLoop& loop_;
    int fd_;
    std::function<std::vector<SimPrinter*>()> printers_;
    std::ostream& out_;
    platform::EventLoop::WatchId watch_ = 0;
    std::string partial_;
};

}  // namespace sim
