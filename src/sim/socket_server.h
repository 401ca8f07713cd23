#pragma once
// Serves a LoggerDevice on a Unix stream socket: one host connection at a time; every byte
// the host sends goes to the device, every byte the device answers goes back.
#include <atomic>
#include <string>

#include "sim/logger_device.h"

namespace quillmark::sim {

// Listens on `path` until `stop` is set or the device vanishes (then the socket file is
// removed, so the logger is gone for good). Returns false with `error` when it cannot listen,
// and refuses a path that holds anything but a stale socket: a file that is not a socket, or
// a socket another simulator serves.
bool serveSocket(LoggerDevice& device, const std::string& path, const std::atomic<bool>& stop,
                 std::string* error = nullptr);

} // namespace quillmark::sim
