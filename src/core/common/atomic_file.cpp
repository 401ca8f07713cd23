#include "core/common/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmark {

namespace {

// Named temporaries that a SIGINT or SIGTERM must not leave behind. The handler may only
// read fixed storage, so paths live in slots whose state says when one is complete.
struct PendingSlot {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 holds a path
    char path[PATH_MAX];
};
PendingSlot gPending[32];
struct sigaction gOldInt {
}, gOldTerm{};

void onTerminatingSignal(int sig, siginfo_t* info, void* context) {
    for (auto& slot : gPending)
        if (slot.state.load() == 2)
            ::unlink(slot.path);
    const struct sigaction& old = sig == SIGINT ? gOldInt : gOldTerm;
    if ((old.sa_flags & SA_SIGINFO) != 0 && old.sa_sigaction != nullptr) {
        old.sa_sigaction(sig, info, context);
        return;
    }
    if (old.sa_handler != SIG_DFL && old.sa_handler != SIG_IGN) {
        old.sa_handler(sig);
        return;
    }
    // Die of the signal as the process would have without us.
    ::sigaction(sig, &old, nullptr);
    ::raise(sig);
}

void installCleanupHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int sig : {SIGINT, SIGTERM}) {
            struct sigaction& old = sig == SIGINT ? gOldInt : gOldTerm;
            if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
                continue; // an ignored signal stays ignored
            struct sigaction act {};
            act.sa_sigaction = onTerminatingSignal;
            act.sa_flags = SA_SIGINFO | SA_RESTART;
            sigemptyset(&act.sa_mask);
            ::sigaction(sig, &act, nullptr);
        }
    });
}

void registerPending(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return;
    installCleanupHandlers();
    for (auto& slot : gPending) {
        int expected = 0;
        if (!slot.state.compare_exchange_strong(expected, 1))
            continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(2);
        return;
    }
}

void unregisterPending(const std::string& path) {
    for (auto& slot : gPending) {
        if (slot.state.load() == 2 && path == slot.path) {
            slot.state.store(0);
            return;
        }
    }
}

// "<folder>/<name>.tmp-XXXXXX" with the name cut so the whole fits in NAME_MAX.
std::string tempTemplate(const std::string& target) {
    const std::filesystem::path p(target);
    std::string name = p.filename().string();
    constexpr std::string_view suffix = ".tmp-XXXXXX";
    if (name.size() > NAME_MAX - suffix.size())
        name.resize(NAME_MAX - suffix.size());
    const std::string folder = p.parent_path().string();
    return (folder.empty() ? std::string() : folder + "/") + name + std::string(suffix);
}

std::string folderOf(const std::string& target) {
    const std::string folder = std::filesystem::path(target).parent_path().string();
    return folder.empty() ? "." : folder;
}

bool haveProcFd() {
    static const bool have = ::access("/proc/self/fd", X_OK) == 0;
    return have;
}

} // namespace

std::string fileErrorText(const std::string& verb, const std::string& path, int err) {
    return verb + " " + path + ": " + std::strerror(err);
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    const bool haveA = ::stat(a.c_str(), &sa) == 0, haveB = ::stat(b.c_str(), &sb) == 0;
    if (haveA && haveB)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (haveA != haveB)
        return false;
    std::error_code ea, eb;
    const auto ca = std::filesystem::weakly_canonical(a, ea);
    const auto cb = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb && ca == cb;
}

AtomicFile::~AtomicFile() {
    abandon();
}

bool AtomicFile::openInPlace(std::string* error) {
    // Without O_NONBLOCK a FIFO nobody reads would block here for good; with it, that is
    // ENXIO, and writes then block as usual. A reader that is just starting gets a moment.
    for (int attempt = 0;; ++attempt) {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd_ >= 0 || errno != ENXIO || attempt == 40)
            break;
        ::usleep(50000);
    }
    if (fd_ < 0) {
        const int err = errno;
        struct stat st {};
        if (error)
            *error = err == ENXIO && ::stat(target_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)
                         ? "Cannot write " + target_ + ": no program is reading from the FIFO"
                         : fileErrorText("Cannot write", target_, err);
        return false;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    inPlace_ = true;
    return true;
}

bool AtomicFile::open(const std::string& target, std::string* error, bool allowUnnamed) {
    abandon();
    target_ = target;
    // Replace the file a link points to, not the link itself.
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec)
            target_ = resolved.string();
    }
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        if (error)
            *error = "Cannot write " + target + ": it is a directory";
        return false;
    }
    if (exists && !S_ISREG(st.st_mode))
        return openInPlace(error);

    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (allowUnnamed && haveProcFd()) {
        fd_ = ::open(folderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666 & ~mask);
        unnamed_ = fd_ >= 0;
    }
    if (!unnamed_) {
        temp_ = tempTemplate(target_);
        fd_ = ::mkstemp(temp_.data());
        if (fd_ < 0) {
            if (error)
                *error = fileErrorText("Cannot create", target, errno);
            temp_.clear();
            return false;
        }
        registerPending(temp_);
    }
    // Keep the permissions an ordinary new file would get (mkstemp makes it 0600), or the
    // earlier file's.
    ::fchmod(fd_, exists ? (st.st_mode & 07777) : (0666 & ~mask));
    errno_ = 0;
    return true;
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (fd_ < 0 || errno_ != 0)
        return false;
    auto p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            errno_ = errno;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Gives the unnamed file the target's name: directly when there is no file yet, otherwise
// through a fresh name renamed over the target.
bool AtomicFile::linkUnnamed(int* err) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST) {
        *err = errno;
        return false;
    }
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::minstd_rand random(static_cast<unsigned>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
    const std::string pattern = tempTemplate(target_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = pattern;
        for (std::size_t i = name.size() - 6; i < name.size(); ++i)
            name[i] = letters[random() % (sizeof letters - 1)];
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST)
                continue;
            *err = errno;
            return false;
        }
        registerPending(name);
        const bool renamed = ::rename(name.c_str(), target_.c_str()) == 0;
        *err = renamed ? 0 : errno;
        if (!renamed)
            ::unlink(name.c_str());
        unregisterPending(name);
        return renamed;
    }
    *err = EEXIST;
    return false;
}

bool AtomicFile::commit(std::string* error) {
    if (fd_ < 0) {
        if (error)
            *error = fileErrorText("Cannot write", target_, EBADF);
        return false;
    }
    int err = errno_;
    if (inPlace_) {
        if (::close(fd_) != 0 && err == 0)
            err = errno;
        fd_ = -1;
        inPlace_ = false;
        if (err != 0 && error)
            *error = fileErrorText("Cannot write", target_, err);
        return err == 0;
    }
    if (err == 0 && ::fsync(fd_) != 0)
        err = errno;
    if (err == 0 && unnamed_)
        linkUnnamed(&err);
    if (::close(fd_) != 0 && err == 0)
        err = errno;
    fd_ = -1;
    unnamed_ = false;
    if (err == 0 && !temp_.empty() && ::rename(temp_.c_str(), target_.c_str()) != 0)
        err = errno;
    if (!temp_.empty()) {
        if (err != 0)
            ::unlink(temp_.c_str());
        unregisterPending(temp_);
        temp_.clear();
    }
    if (err != 0) {
        if (error)
            *error = fileErrorText("Cannot write", target_, err);
        return false;
    }
    // Make the new name itself durable; a failure here does not undo the write.
    const int dirFd = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

namespace {

OutputError outputError(const std::string& verb, const std::string& name, int err) {
    return {fileErrorText(verb, name, err), err};
}

std::string displayName(const std::string& target) {
    return target == kStandardOutput ? "standard output" : target;
}

bool sameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// An input named by the target: the same file (through links and hard links), or, for a
// target that does not exist, the same name once "." and ".." are taken out.
bool namesInput(const std::string& target, const std::string& input) {
    struct stat in {};
    if (::stat(input.c_str(), &in) != 0)
        return false;
    struct stat out {};
    if (target == kStandardOutput)
        return ::fstat(STDOUT_FILENO, &out) == 0 && sameInode(in, out);
    if (::stat(target.c_str(), &out) == 0)
        return sameInode(in, out);
    std::error_code ea, eb;
    const auto a = std::filesystem::absolute(target, ea).lexically_normal();
    const auto b = std::filesystem::absolute(input, eb).lexically_normal();
    return !ea && !eb && a == b;
}

// Writes everything to a descriptor that is not ours (standard output).
bool writeAllTo(int fd, std::string_view data, int* err) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *err = errno;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

std::optional<OutputError> checkOutputTarget(const std::string& target,
                                             const std::vector<std::string>& inputs) {
    if (target.empty())
        return outputError("Cannot write", "''", ENOENT);
    const std::string name = displayName(target);
    for (const std::string& input : inputs)
        if (!input.empty() && namesInput(target, input))
            return OutputError{"Cannot write " + name + ": it is the input file " + input, 0};
    struct stat st {};
    if (target == kStandardOutput) {
        if (::fstat(STDOUT_FILENO, &st) != 0)
            return outputError("Cannot write", name, errno);
        return std::nullopt;
    }
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return outputError("Cannot write", name, EISDIR);
        // Replacing a file the user may not write would take it over; root may, as the
        // system lets it (faccessat answers for the effective user).
        if (!S_ISREG(st.st_mode))
            return std::nullopt; // written in place
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return outputError("Cannot write", name, errno);
    } else if (errno != ENOENT) {
        return outputError("Cannot write", name, errno);
    }
    // The new file is made in the folder of the file (or of where a link points), which
    // must take new names.
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
    const std::string folder = folderOf(ec ? target : resolved.string());
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return outputError("Cannot write", name, errno);
    return std::nullopt;
}

std::optional<OutputError> writeOutputFile(const std::string& target,
                                           const std::vector<std::string>& inputs,
                                           const OutputProducer& produce) {
    if (auto refused = checkOutputTarget(target, inputs))
        return refused;
    const std::string name = displayName(target);
    std::string produceError;
    if (target == kStandardOutput) {
        int err = 0;
        const OutputSink sink = [&err](std::string_view chunk) {
            return err == 0 && writeAllTo(STDOUT_FILENO, chunk, &err);
        };
        const bool produced = produce(sink, &produceError);
        if (err != 0)
            return outputError("Cannot write", name, err);
        if (!produced)
            return OutputError{produceError.empty() ? "Cannot write " + name : produceError, 0};
        return std::nullopt;
    }
    AtomicFile file;
    std::string error;
    if (!file.open(target, &error))
        return OutputError{error, errno};
    const OutputSink sink = [&file](std::string_view chunk) { return file.write(chunk); };
    if (!produce(sink, &produceError)) {
        const int err = file.writeErrno();
        file.abandon(); // an earlier file stays as it was
        if (err != 0)
            return outputError("Cannot write", name, err);
        return OutputError{produceError.empty() ? "Cannot write " + name : produceError, 0};
    }
    if (!file.commit(&error))
        return OutputError{error, file.writeErrno() != 0 ? file.writeErrno() : EIO};
    return std::nullopt;
}

void AtomicFile::abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    unnamed_ = false;
    inPlace_ = false;
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        unregisterPending(temp_);
        temp_.clear();
    }
}

} // namespace quillmark
