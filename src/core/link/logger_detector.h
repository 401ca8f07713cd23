#pragma once
// Logger presence: the device scan (run at start and on each arrival) and the watcher
// that reports arrivals. Removal is not reported: nothing depends on it.
#include <functional>

namespace quillmark {

class LoggerDetector {
public:
    using ArrivalCallback = std::function<void()>;

    virtual ~LoggerDetector() = default;
    // Asks for the set of present loggers. True when the set could be obtained, whether
    // it holds a logger or not.
    virtual bool enumerate() = 0;
    // Starts watching; `onArrival` runs on the watcher's own thread, once per arrival.
    // False when no watching is possible (the program keeps working without it).
    virtual bool start(ArrivalCallback onArrival) = 0;
    // Stops watching and joins the watcher thread; no callback runs after it returns.
    virtual void stop() = 0;
};

// The device scan: the model code becomes 710 whenever the set of loggers could be
// obtained. Call it where the model code lives (the GUI thread), at start and after
// every arrival.
void deviceScan(LoggerDetector& detector);

} // namespace quillmark
