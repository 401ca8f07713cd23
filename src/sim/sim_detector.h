#pragma once
// Presence of the in-process simulated logger: always there, never arrives anew.
#include "core/link/logger_detector.h"

namespace quillmark::sim {

class SimDetector : public LoggerDetector {
public:
    bool enumerate() override { return true; }
    bool start(ArrivalCallback) override { return true; }
    void stop() override {}
};

} // namespace quillmark::sim
