#pragma once
// File names chosen by the document's Save and suggested by the save dialogs.
#include <ctime>
#include <string>

namespace quillmark {

struct SavePaths {
    std::string recordingPath; // the chosen name with its extension replaced by ".smpq"
    std::string textPath;      // the chosen name, or its base with ".txt" when it is ".smpq"
};

// A chosen "run.txt" gives run.smpq and run.txt; a chosen "run.smpq" gives run.smpq and
// run.txt, so the text file can never overwrite the recording file.
SavePaths documentSavePaths(const std::string& chosen);

// "%d-%d-%d %d-%d" of the local year, month, day, hour and minute.
std::string suggestedFileName(const std::tm& local);

} // namespace quillmark
