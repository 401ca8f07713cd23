#pragma once
// Input files are opened without blocking and checked before anything is read: an ordinary
// open of a FIFO waits for a writer forever, and a directory or a device is no input file.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillmark {

class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() { close(); }

    // Opens path for reading when it is a regular file (after following links). Otherwise
    // false with the reason: "<path> is a directory", "<path> is not a regular file (a FIFO)",
    // "Cannot open <path>: <system reason>".
    bool open(const std::string& path, std::string* error);
    // The system's error number of the last failed open (ENOENT for a missing file), 0 when
    // it failed because the file is of the wrong kind.
    int openErrno() const { return openErrno_; }
    // Size when opened.
    std::uint64_t size() const { return size_; }
    // Reads exactly size bytes at offset; false on an error (err gets errno) or when the file
    // ends first (err gets 0).
    bool readAt(std::uint64_t offset, void* data, std::size_t size, int* err = nullptr);
    void close();

private:
    int fd_ = -1;
    int openErrno_ = 0;
    std::uint64_t size_ = 0;
};

enum class ReadFileResult { Ok, Missing, Failed };
// Reads the whole regular file at path into out. Missing when it does not exist; Failed with
// the reason when it cannot be read, is not a regular file or is larger than maxBytes.
ReadFileResult readRegularFile(const std::string& path, std::size_t maxBytes, std::string& out,
                               std::string* error);

} // namespace quillmark
