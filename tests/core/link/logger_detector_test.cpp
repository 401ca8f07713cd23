#include <gtest/gtest.h>

#include "core/app/logger_model.h"
#include "core/link/logger_detector.h"

namespace quillmark {
namespace {

struct ScriptedDetector : LoggerDetector {
    bool obtained = true;
    int enumerations = 0;
    bool enumerate() override {
        ++enumerations;
        return obtained;
    }
    bool start(ArrivalCallback) override { return false; }
    void stop() override {}
};

TEST(DeviceScan, SetsVoltageModelWhenTheSetIsObtainedAndKeepsItOtherwise) {
    ScriptedDetector detector;
    setLoggerModel(kModelCurrent);
    detector.obtained = false;
    deviceScan(detector);
    EXPECT_EQ(loggerModel(), kModelCurrent);
    detector.obtained = true;
    deviceScan(detector);
    EXPECT_EQ(loggerModel(), kModelVoltage);
    EXPECT_EQ(detector.enumerations, 2);
}

} // namespace
} // namespace quillmark
