#pragma once
// Writes a file under a temporary name in the target's folder and renames it over the
// target only once complete, so a crash or a full disk never destroys an earlier file.
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

    bool open(const std::string& target, std::string* error);
    bool write(const void* data, std::size_t size);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    // Flushes to disk and renames over the target. False (with the reason) on any failure.
    bool commit(std::string* error);
    void abandon();

private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    int errno_ = 0; // first write error
};

// "Cannot write <path>: <reason>"
std::string fileErrorText(const std::string& verb, const std::string& path, int err);

} // namespace quillmark
