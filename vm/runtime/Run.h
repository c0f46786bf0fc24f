// One run as OrvexVM makes it: "Orvex.out" made first, then the image loaded and run to its end,
// the pooled evaluations scheduled, and the closing line written, whatever happened.
#pragma once

#include <functional>

class ThreadPool;

// Thrown by whoever watches a run to end it early; the run then ends as usual, closing line included.
struct RunCut {};

// load reads the image into the pool (ThreadPool::load or loadText); afterRun, when given, sees the
// pool once the scheduler has stopped.
void runProgram(const std::function<void(ThreadPool&)>& load,
                const std::function<void(ThreadPool&)>& afterRun = {});
