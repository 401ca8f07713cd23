#pragma once
// The one way the program writes a file: writeOutputFile. Every writer (recordings, text and
// spreadsheet files, CSV, settings, images) produces its content into the sink it is given, so
// the rules below hold for all of them alike; scripts/check-layering.sh keeps other ways of
// writing files out of src.
//
// AtomicFile, below, writes a file so that a crash, a kill or a full disk never destroys an earlier
// one: the new content goes into a temporary file in the target's folder that replaces the target
// only once complete. Where the file system has them, the temporary is unnamed (O_TMPFILE)
// and gets its name only then, so nothing can be left behind; otherwise it is named and
// removed again on SIGINT and SIGTERM. A target that exists and is not a regular file (a
// FIFO, a terminal, /dev/null) is written in place, as a plain open would.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

// Receives the output in pieces; false stops the producer (a write failed).
using OutputSink = std::function<bool(std::string_view)>;
// Produces a file's content into the sink. False when it cannot finish; the reason goes in
// error, which may stay empty when the sink refused (the write error is then reported).
using OutputProducer = std::function<bool(const OutputSink& sink, std::string* error)>;

struct OutputError {
    std::string message; // names the file and the reason
    int code = 0;        // the system's error number, 0 when the producer failed
};

// The target name that means standard output.
inline constexpr std::string_view kStandardOutput = "-";

// What writeOutputFile checks before anything is produced, for commands that must know
// before they start a long job (a download): not an input (by name, through links or hard
// links), not a folder, and an existing regular file must be writable by this user.
std::optional<OutputError> checkOutputTarget(const std::string& target,
                                             const std::vector<std::string>& inputs);

// Writes what produce delivers to target, or standard output for "-". A regular file is
// replaced only once the content is complete (a temporary then a rename; no temporary is left
// behind, also not on SIGINT or SIGTERM); a device, FIFO or socket is written in place; a
// target that is one of the inputs is refused. Nothing on success; otherwise what went wrong,
// with the system's reason, and an earlier regular file left as it was.
std::optional<OutputError> writeOutputFile(const std::string& target,
                                           const std::vector<std::string>& inputs,
                                           const OutputProducer& produce);

// The building block of writeOutputFile; nothing else uses it directly.

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
