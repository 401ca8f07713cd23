#include "gui/link/transfer_runner.h"

#include <QPointer>
#include <QThread>
#include <atomic>
#include <mutex>

namespace quillmark {
namespace {

std::mutex& transferLock() {
    static std::mutex lock;
    return lock;
}

std::atomic<int>& busyRunners() {
    static std::atomic<int> count{0};
    return count;
}

} // namespace

TransferRunner::TransferRunner(QObject* parent) : QObject(parent) {}

TransferRunner::~TransferRunner() {
    queue_.clear();
    idleSteps_.clear();
    if (thread_) {
        thread_->wait();
        --busyRunners();
    }
}

bool TransferRunner::anyBusy() {
    return busyRunners() > 0;
}

void TransferRunner::start(std::function<void()> work, std::function<void()> done) {
    Job job{std::move(work), std::move(done)};
    if (thread_) {
        queue_.push_back(std::move(job));
        return;
    }
    ++busyRunners();
    launch(std::move(job));
}

void TransferRunner::launch(Job job) {
    done_ = std::move(job.done);
    thread_ = QThread::create([work = std::move(job.work)] {
        const std::lock_guard<std::mutex> hold(transferLock());
        work();
    });
    thread_->setParent(this);
    connect(thread_, &QThread::finished, this, &TransferRunner::onWorkerFinished);
    thread_->start();
}

void TransferRunner::onWorkerFinished() {
    thread_->deleteLater();
    thread_ = nullptr;
    std::function<void()> done = std::move(done_);
    done_ = nullptr;
    // The next exchange starts before this one's step runs: the step may show a message box.
    if (!queue_.empty()) {
        Job next = std::move(queue_.front());
        queue_.pop_front();
        launch(std::move(next));
    } else {
        --busyRunners();
    }
    const QPointer<TransferRunner> self(this);
    if (done)
        done();
    while (self && !thread_ && !idleSteps_.empty()) {
        std::function<void()> step = std::move(idleSteps_.front());
        idleSteps_.pop_front();
        step();
    }
}

void TransferRunner::whenIdle(std::function<void()> step) {
    if (!thread_) {
        step();
        return;
    }
    idleSteps_.push_back(std::move(step));
}

void TransferRunner::post(std::function<void()> step) {
    QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

} // namespace quillmark
