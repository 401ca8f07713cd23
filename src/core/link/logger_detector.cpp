#include "core/link/logger_detector.h"

#include "core/app/logger_model.h"

namespace quillmark {

void deviceScan(LoggerDetector& detector) {
    if (detector.enumerate())
        setLoggerModel(kModelVoltage);
}

} // namespace quillmark
