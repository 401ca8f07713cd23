#include "core/app/logger_model.h"

#include <atomic>

namespace quillmark {
namespace {
// Written on the GUI thread; atomic so a detection thread may never tear it.
std::atomic<std::int32_t> g_loggerModel{kModelVoltage};
} // namespace

std::int32_t loggerModel() {
    return g_loggerModel.load(std::memory_order_relaxed);
}
void setLoggerModel(std::int32_t model) {
    g_loggerModel.store(model, std::memory_order_relaxed);
}

} // namespace quillmark
