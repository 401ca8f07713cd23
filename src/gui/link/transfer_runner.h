#pragma once
// Runs a logger exchange on a worker thread and hands its end back to the GUI thread, so the
// windows keep painting while a transfer blocks. Exchanges never overlap, in this dialog or
// any other: each one holds one process-wide lock while it runs.
#include <QObject>
#include <functional>

class QThread;

namespace quillmark {

class TransferRunner : public QObject {
    Q_OBJECT
public:
    explicit TransferRunner(QObject* parent = nullptr);
    // Waits for a running exchange to end (its GUI-thread step is then dropped).
    ~TransferRunner() override;

    bool busy() const { return thread_ != nullptr; }
    // Starts `work` on a worker thread; `done` runs on the GUI thread once it has ended.
    // False (and nothing started) while an exchange of this runner is still running.
    bool start(std::function<void()> work, std::function<void()> done);
    // Blocks until the running exchange (if any) has ended and its `done` step has run.
    void waitForIdle();

private:
    QThread* thread_ = nullptr;
};

} // namespace quillmark
