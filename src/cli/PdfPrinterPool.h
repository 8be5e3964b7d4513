// Printing a batch's PDFs on every core: the toolkit paints on one thread a process,
// so each core gets a printing process of its own, started before the toolkit is up
// (a process with the toolkit's threads running cannot be forked safely). The merging
// threads hand each document to an idle printer and wait for its answer.
#pragma once
#include "cli/Commands.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>
#include <sys/types.h>

class TPdfPrinterPool {
public:
    // Starts `printers` processes that print with `print` (which brings up the toolkit
    // in each of them). Fewer start if the system refuses more; Size() says how many.
    TPdfPrinterPool(unsigned printers, const TPdfWriter& print);
    ~TPdfPrinterPool(); // asks the printers to end and waits for them
    TPdfPrinterPool(const TPdfPrinterPool&) = delete;
    TPdfPrinterPool& operator=(const TPdfPrinterPool&) = delete;

    // Whether printers may be started here: more than one core, and the toolkit not yet
    // up in this process.
    static bool MayStart();
    static unsigned Cores();

    size_t Size() const { return FPrinters.size(); }
    // Prints on an idle printer (any thread); raises Platform::Exception with the
    // printer's own message when it fails.
    void Print(const std::string& pdfFile, const std::string& merged);

private:
    struct TPrinter {
        pid_t pid = -1;
        int requests = -1, answers = -1; // our ends of its two pipes
        bool busy = false, alive = true;
    };

    TPrinter& TakeIdle();
    void GiveBack(TPrinter& printer, bool alive);

    std::vector<TPrinter> FPrinters;
    void (*FPipeSignal)(int) = nullptr;
    std::mutex FMutex;
    std::condition_variable FIdle;
};
