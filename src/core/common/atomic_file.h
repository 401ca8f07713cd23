#pragma once
// Writes a file so that a crash, a kill or a full disk never destroys an earlier one: the
// new content goes into a temporary file in the target's folder that replaces the target
// only once complete. Where the file system has them, the temporary is unnamed (O_TMPFILE)
// and gets its name only then, so nothing can be left behind; otherwise it is named and
// removed again on SIGINT and SIGTERM. A target that exists and is not a regular file (a
// FIFO, a terminal, /dev/null) is written in place, as a plain open would.
#include <cstddef>
#include <string>
#include <string_view>

namespace quillmark {

class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile(); // abandons (removes the temporary file) unless committed

    // allowUnnamed false always takes the named temporary.
    bool open(const std::string& target, std::string* error, bool allowUnnamed = true);
    bool write(const void* data, std::size_t size);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    // Flushes to disk and puts the file in place of the target. False (with the reason) on
    // any failure, including an earlier failed write.
    bool commit(std::string* error);
    void abandon();
    // The system's error number of the first failed write; 0 when none failed.
    int writeErrno() const { return errno_; }

private:
    bool openInPlace(std::string* error);
    bool linkUnnamed(int* err);

    std::string target_;
    std::string temp_;     // the named temporary, empty when unnamed or in place
    bool unnamed_ = false; // an O_TMPFILE file
    bool inPlace_ = false; // writing straight into a special file
    int fd_ = -1;
    int errno_ = 0; // first write error
};

// "<verb> <path>: <reason>"
std::string fileErrorText(const std::string& verb, const std::string& path, int err);

// True when both name the same file (same device and inode, also through links); for names
// that do not exist yet, when they are the same path once normalised.
bool sameFile(const std::string& a, const std::string& b);

} // namespace quillmark
