#include "gui/link/transfer_runner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <mutex>

namespace quillmark {
namespace {
std::mutex& transferLock() {
    static std::mutex lock;
    return lock;
}
} // namespace

TransferRunner::TransferRunner(QObject* parent) : QObject(parent) {}

TransferRunner::~TransferRunner() {
    if (thread_) {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
}

bool TransferRunner::start(std::function<void()> work, std::function<void()> done) {
    if (thread_)
        return false;
    thread_ = QThread::create([work = std::move(work)] {
        std::lock_guard<std::mutex> hold(transferLock());
        work();
    });
    connect(thread_, &QThread::finished, this, [this, done = std::move(done)] {
        thread_->deleteLater();
        thread_ = nullptr;
        if (done)
            done();
    });
    thread_->start();
    return true;
}

void TransferRunner::waitForIdle() {
    while (thread_) {
        thread_->wait(20);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

} // namespace quillmark
