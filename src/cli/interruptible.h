#pragma once

#include <functional>

// Runs `work` with Ctrl+C (SIGINT) and SIGTERM turned into calls of `stop`, so that a long
// command ends the way its Stop button would and still records what it did. `stop` runs on a
// thread of its own, not in a signal handler, so it may do what any code may.
void RunInterruptible(const std::function<void()>& work, const std::function<void()>& stop);
