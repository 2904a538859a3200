// What opening and closing a work window costs in memory, on the program's
// own pieces: the Qt front end, the real clock and the real TCP link to a
// printer-sim listening on loopback. Run it by hand from a release build
// configured with -DPOS_BUILD_MEASURES=ON, under Xvfb (or
// QT_QPA_PLATFORM=offscreen), beside the simulated printer:
//     build/release/tools/printer-sim/printer-sim --tcp 127.0.0.1:9100 &
//     build/release/tests/gui/window_cycles_memory 4 100 9100
// (the main window's button: 3 diagnostics, 4 configuration, 5 tally; the
// number of cycles; the printer's port). Each cycle clicks the button, lets
// the window run 1.5 s, closes it with its close box and, 2 s later, prints
// the resident size and glibc's bytes in use (where the C library has
// mallinfo2; elsewhere the resident size alone). glibc counts the small blocks
// its per-thread caches keep as in use: run it under heaptrack for the live
// heap, and with GLIBC_TUNABLES=glibc.malloc.tcache_count=0 to see what
// those caches add to the resident size.
#if POS_HAVE_MALLINFO2
#include <malloc.h>
#endif

#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "configuration/apply/OpenChangeConfigDlg.h"
#include "diagnostics/DiagnosePrinterDlg.h"
#include "gui/Application.h"
#include "gui/FormWindow.h"
#include "gui/Renderer.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TestDriver.h"
#include "platform/hid/LinuxHidSystem.h"
#include "platform/serial/PosixSerialPort.h"
#include "platform/tcp/TcpSocket.h"
#include "shell/ConnectPrinterDlg.h"
#include "shell/MainWindow.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "tally/ViewTallyDlg.h"

namespace {

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// The C library's bytes in use; -1 where it does not tell them.
long heapInUse() {
#if POS_HAVE_MALLINFO2
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long>(m.uordblks + m.hblkhd);
#else
    return -1;
#endif
}

struct Run {
    int button = 4, cycles = 100, port = 9100, done = 0;
    const char* form = "ChangeConfigDlg";
    long firstRss = 0, firstHeap = 0;

    void sample() {
        // A mark in a heaptrack trace (an allocation of 123457 bytes): the
        // quiet moment after each close, to count what is live there.
        void* volatile mark = std::malloc(123457);
        std::free(mark);
        const long heap = heapInUse();
        const long rss = residentKb();
        if (done == 1) firstRss = rss, firstHeap = heap;
        if (heap >= 0)
            std::printf("cycle %3d rss %6ld kB heap %9ld B  (since cycle 1: rss %+5ld kB, heap %+8ld B)\n", done, rss,
                        heap, rss - firstRss, heap - firstHeap);
        else
            std::printf("cycle %3d rss %6ld kB  (since cycle 1: rss %+5ld kB)\n", done, rss, rss - firstRss);
        std::fflush(stdout);
    }
    static void click(int index) {
        auto* button = dynamic_cast<QPushButton*>(
            gui::Renderer::current()->widgetOf(shell::objMainWindow->FunctionButton(index)));
        if (button) button->click();
    }
    void next() {
        if (done == cycles) {
            std::fflush(stdout);
            std::_Exit(0);
        }
        // The buttons enable once the connect has finished.
        if (!shell::objMainWindow->FunctionButton(button).Enabled())
            QTimer::singleShot(500, [this] { next(); });
        else
            click(button);
    }
    void opened(platform::Form& form) {
        QTimer::singleShot(1500, [this, f = &form] {
            if (gui::FormWindow* w = gui::Renderer::current()->windowOf(*f)) w->close();
            QTimer::singleShot(2000, [this] {
                ++done;
                sample();
                next();
            });
        });
    }
};

}  // namespace

int main(int argc, char** argv) {
    Run run;
    if (argc > 1) run.button = std::atoi(argv[1]);
    if (argc > 2) run.cycles = std::atoi(argv[2]);
    if (argc > 3) run.port = std::atoi(argv[3]);
    run.form = run.button == 3 ? "DiagnosePrinterDlg" : run.button == 5 ? "ViewTallyDlg" : "ChangeConfigDlg";

    int qtArgc = 1;
    gui::Application frontEnd(qtArgc, argv);
    platform::PosixSerialPort serial(frontEnd.loop());
    platform::TcpSocket tcp(frontEnd.loop());
    platform::LinuxHidSystem hid;
    platform::TestDriver driver;
    driver.onModal = [&](platform::Form& form) {
        if (auto* dlg = dynamic_cast<shell::ConnectPrinterDlg*>(&form)) {
            driver.chooseListItem(dlg->PortSetting(0), shell::kLanPortNumber - 1);
            driver.editText(dlg->EthernetSetting(0), "127.0.0.1");
            driver.editText(dlg->EthernetSetting(1), std::to_string(run.port));
            QTimer::singleShot(200, [&driver, dlg] { driver.click(dlg->OKButton); });
        } else if (form.Name() == run.form) {
            run.opened(form);
        } else if (auto* box = dynamic_cast<shell::ModalMessageBox*>(&form)) {
            std::fprintf(stderr, "cycle %d: box \"%s\" answered OK\n", run.done, box->MessageLabel.Caption().c_str());
            QTimer::singleShot(300, [&driver, box] { driver.click(box->OKButton); });
        } else {
            std::fprintf(stderr, "unexpected modal window %s\n", form.Name().c_str());
        }
    };
    const auto window = shell::Main(printerlink::LinkTransports{serial, tcp, hid},
                                    [](const std::string& text, int, const std::string&) {
                                        std::fprintf(stderr, "message: %s\n", text.c_str());
                                    });
    if (!window) return 1;
    window->workWindows.diagnose = diagnostics::OpenDiagnosePrinterDlg;
    window->workWindows.changeConfiguration = configuration::OpenChangeConfigDlg;
    window->workWindows.viewTally = tally::ShowViewTallyDlg;
    QTimer::singleShot(500, [&] { Run::click(1); });  // Connect
    QTimer::singleShot(2000, [&] {
        run.sample();
        run.next();
    });
    frontEnd.run();
    return 0;
}
