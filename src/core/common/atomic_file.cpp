#include "core/common/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmark {

std::string fileErrorText(const std::string& verb, const std::string& path, int err) {
    return verb + " " + path + ": " + std::strerror(err);
}

AtomicFile::~AtomicFile() {
    abandon();
}

bool AtomicFile::open(const std::string& target, std::string* error) {
    abandon();
    target_ = target;
    // Replace the file a link points to, not the link itself.
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec)
            target_ = resolved.string();
    }
    temp_ = target_ + ".tmp-XXXXXX";
    fd_ = ::mkstemp(temp_.data());
    if (fd_ < 0) {
        if (error)
            *error = fileErrorText("Cannot create", target, errno);
        temp_.clear();
        return false;
    }
    // Keep the permissions an ordinary new file would get (mkstemp makes it 0600).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0)
        ::fchmod(fd_, st.st_mode & 07777);
    else
        ::fchmod(fd_, 0666 & ~mask);
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

bool AtomicFile::commit(std::string* error) {
    if (fd_ < 0) {
        if (error)
            *error = fileErrorText("Cannot write", target_, EBADF);
        return false;
    }
    int err = errno_;
    if (err == 0 && ::fsync(fd_) != 0)
        err = errno;
    if (::close(fd_) != 0 && err == 0)
        err = errno;
    fd_ = -1;
    if (err == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp_.c_str());
        temp_.clear();
        if (error)
            *error = fileErrorText("Cannot write", target_, err);
        return false;
    }
    temp_.clear();
    // Make the rename itself durable; a failure here does not undo the write.
    const std::filesystem::path parent = std::filesystem::path(target_).parent_path();
    const int dirFd = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void AtomicFile::abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

} // namespace quillmark
