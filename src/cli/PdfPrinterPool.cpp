#include "cli/PdfPrinterPool.h"

#include "platform/Errors.h"
#include "platform/SafeWrite.h"

#include <QCoreApplication>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <exception>
#include <fcntl.h>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A whole read from a pipe; false when the other end is gone.
bool ReadAll(int fd, void* data, size_t size) {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

// A message on a pipe: its length, then its bytes.
bool SendText(int fd, const std::string& text) {
    const uint64_t size = text.size();
    return Platform::WriteWhole(fd, std::string_view(reinterpret_cast<const char*>(&size), sizeof size)) &&
           Platform::WriteWhole(fd, text);
}

bool ReceiveText(int fd, std::string& text) {
    uint64_t size = 0;
    if (!ReadAll(fd, &size, sizeof size)) return false;
    text.resize(size);
    return ReadAll(fd, text.data(), text.size());
}

// The printing process: a file name and a document in, "" or the failure's message out,
// until the batch closes its pipe.
[[noreturn]] void ServePrints(int requests, int answers, const TPdfWriter& print) {
    std::string pdfFile, merged;
    while (ReceiveText(requests, pdfFile) && ReceiveText(requests, merged)) {
        std::string failure;
        try {
            print(pdfFile, merged);
        } catch (const std::exception& e) {
            failure = e.what();
            if (failure.empty()) failure = "the PDF could not be printed";
        }
        if (!SendText(answers, failure)) break;
    }
    // The batch's own state (its streams, its exit handlers) is not this process's to end.
    ::_exit(0);
}

} // namespace

unsigned TPdfPrinterPool::Cores() { return std::max(1u, std::thread::hardware_concurrency()); }

bool TPdfPrinterPool::MayStart() { return Cores() > 1 && !QCoreApplication::instance(); }

TPdfPrinterPool::TPdfPrinterPool(unsigned printers, const TPdfWriter& print) {
    // A printer that dies must not end the batch with it: a closed pipe is an error to report.
    FPipeSignal = std::signal(SIGPIPE, SIG_IGN);
    for (unsigned i = 0; i < printers; ++i) {
        int toPrinter[2], fromPrinter[2];
        if (::pipe2(toPrinter, O_CLOEXEC) != 0) break;
        if (::pipe2(fromPrinter, O_CLOEXEC) != 0) {
            ::close(toPrinter[0]);
            ::close(toPrinter[1]);
            break;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(toPrinter[1]);
            ::close(fromPrinter[0]);
            for (const TPrinter& other : FPrinters) { // the others' pipes are not this one's
                ::close(other.requests);
                ::close(other.answers);
            }
            ServePrints(toPrinter[0], fromPrinter[1], print);
        }
        ::close(toPrinter[0]);
        ::close(fromPrinter[1]);
        if (pid < 0) {
            ::close(toPrinter[1]);
            ::close(fromPrinter[0]);
            break;
        }
        FPrinters.push_back({pid, toPrinter[1], fromPrinter[0]});
    }
}

TPdfPrinterPool::~TPdfPrinterPool() {
    for (TPrinter& printer : FPrinters) {
        ::close(printer.requests); // the printer reads the end of its work and ends
        ::close(printer.answers);
    }
    for (TPrinter& printer : FPrinters) {
        int status = 0;
        while (::waitpid(printer.pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    std::signal(SIGPIPE, FPipeSignal);
}

TPdfPrinterPool::TPrinter& TPdfPrinterPool::TakeIdle() {
    std::unique_lock lock(FMutex);
    for (;;) {
        bool anyAlive = false;
        for (TPrinter& printer : FPrinters) {
            anyAlive = anyAlive || printer.alive;
            if (printer.alive && !printer.busy) {
                printer.busy = true;
                return printer;
            }
        }
        if (!anyAlive) throw Platform::Exception("the PDF printers stopped");
        FIdle.wait(lock);
    }
}

void TPdfPrinterPool::GiveBack(TPrinter& printer, bool alive) {
    {
        std::lock_guard lock(FMutex);
        printer.busy = false;
        printer.alive = alive;
    }
    FIdle.notify_all();
}

void TPdfPrinterPool::Print(const std::string& pdfFile, const std::string& merged) {
    TPrinter& printer = TakeIdle();
    std::string failure;
    const bool answered = SendText(printer.requests, pdfFile) && SendText(printer.requests, merged) &&
                          ReceiveText(printer.answers, failure);
    GiveBack(printer, answered);
    if (!answered) throw Platform::Exception("the PDF printer stopped while printing " + pdfFile);
    if (!failure.empty()) throw Platform::Exception(failure);
}
