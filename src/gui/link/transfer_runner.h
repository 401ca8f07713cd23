#pragma once
// Runs logger exchanges on a worker thread and continues on the GUI thread from the worker's
// finished signal, so the windows keep painting while a transfer blocks and nothing on the
// GUI thread ever waits for one by running events itself.
//
// Exchanges never overlap: one runner runs its exchanges one after the other in the order
// they were started, and every exchange holds one process-wide lock while it runs.
#include <QObject>
#include <deque>
#include <functional>

class QThread;

namespace quillmark {

class TransferRunner : public QObject {
    Q_OBJECT
public:
    explicit TransferRunner(QObject* parent = nullptr);
    // Blocks until the running exchange has ended; its GUI-thread step and the exchanges still
    // queued are dropped. The worker needs nothing from the GUI thread, so this cannot hang.
    ~TransferRunner() override;
    TransferRunner(const TransferRunner&) = delete;
    TransferRunner& operator=(const TransferRunner&) = delete;

    // An exchange is running or queued.
    bool busy() const { return thread_ != nullptr; }
    // Some runner of the process is busy.
    static bool anyBusy();

    // Runs `work` on a worker thread once the exchanges started before it have ended; `done`
    // then runs on the GUI thread.
    void start(std::function<void()> work, std::function<void()> done = {});
    // Runs `step` on the GUI thread as soon as the runner is idle (at once when it is).
    void whenIdle(std::function<void()> step);
    // From the worker: runs `step` on the GUI thread, unless the runner is gone by then.
    void post(std::function<void()> step);

private:
    struct Job {
        std::function<void()> work;
        std::function<void()> done;
    };
    void launch(Job job);
    void onWorkerFinished();

    QThread* thread_ = nullptr; // a child of this runner while it runs
    std::function<void()> done_;
    std::deque<Job> queue_;
    std::deque<std::function<void()>> idleSteps_;
};

} // namespace quillmark
