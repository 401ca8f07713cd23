#include "core/common/input_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmark {

namespace {

const char* kindOf(mode_t mode) {
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return "of an unknown kind";
}

void setError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

} // namespace

bool InputFile::open(const std::string& path, std::string* error) {
    close();
    openErrno_ = 0;
    // O_NONBLOCK only matters for FIFOs and devices, which are refused right after.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        openErrno_ = errno;
        setError(error, "Cannot open " + path + ": " + std::strerror(openErrno_));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        openErrno_ = errno;
        ::close(fd);
        setError(error, "Cannot open " + path + ": " + std::strerror(openErrno_));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        setError(error, S_ISDIR(st.st_mode)
                            ? path + " is a directory"
                            : path + " is not a regular file (" + kindOf(st.st_mode) + ")");
        return false;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool InputFile::readAt(std::uint64_t offset, void* data, std::size_t size, int* err) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (err)
                *err = n < 0 ? errno : 0;
            return false;
        }
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void InputFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

ReadFileResult readRegularFile(const std::string& path, std::size_t maxBytes, std::string& out,
                               std::string* error) {
    out.clear();
    InputFile file;
    if (!file.open(path, error))
        return file.openErrno() == ENOENT ? ReadFileResult::Missing : ReadFileResult::Failed;
    if (file.size() > maxBytes) {
        setError(error, path + " is too large (" + std::to_string(file.size()) +
                            " bytes, at most " + std::to_string(maxBytes) + ")");
        return ReadFileResult::Failed;
    }
    try {
        out.resize(static_cast<std::size_t>(file.size()));
    } catch (const std::bad_alloc&) {
        setError(error, "Not enough memory to read " + path);
        return ReadFileResult::Failed;
    }
    int err = 0;
    if (!out.empty() && !file.readAt(0, out.data(), out.size(), &err)) {
        out.clear();
        setError(error, "Cannot read " + path + ": " +
                            (err != 0 ? std::strerror(err) : "the file ended early"));
        return ReadFileResult::Failed;
    }
    return ReadFileResult::Ok;
}

} // namespace quillmark
