#include "cli/interruptible.h"

#include <csignal>
#include <thread>
#include <unistd.h>

namespace {

// The handler only writes a byte: whichever thread the signal lands on, the waiter hears it.
int wakeUpPipe[2] = {-1, -1};
constexpr char kInterrupted = 'i';
constexpr char kWorkDone = 'd';

void OnSignal(int)
{
    const char byte = kInterrupted;
    [[maybe_unused]] const ssize_t written = ::write(wakeUpPipe[1], &byte, 1);
}

} // namespace

void RunInterruptible(const std::function<void()>& work, const std::function<void()>& stop)
{
    if (::pipe(wakeUpPipe) != 0) {
        work(); // without the pipe Ctrl+C ends the program, as it always may
        return;
    }
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction previousInt = {}, previousTerm = {};
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
    std::thread waiter([&stop] {
        char byte = 0;
        while (::read(wakeUpPipe[0], &byte, 1) == 1 && byte == kInterrupted)
            stop();
    });
    work();
    const char done = kWorkDone;
    [[maybe_unused]] const ssize_t written = ::write(wakeUpPipe[1], &done, 1);
    waiter.join();
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    ::close(wakeUpPipe[0]);
    ::close(wakeUpPipe[1]);
    wakeUpPipe[0] = wakeUpPipe[1] = -1;
}
