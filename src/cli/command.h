#pragma once
// quillmark-cli commands register themselves here; main() dispatches on the first word.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/data/recording_file.h"

namespace quillmark::cli {

using CommandFn = int (*)(const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* summary;
    CommandFn run;
};

void registerCommand(const Command& command);
const std::vector<Command>& commands();

struct CommandRegistrar {
    explicit CommandRegistrar(const Command& command) { registerCommand(command); }
};

// Tiny argument helpers shared by the commands.
bool hasFlag(const std::vector<std::string>& args, std::string_view flag);
// Value after "--name" (or "--name=value"); empty optional when absent.
bool optionValue(const std::vector<std::string>& args, std::string_view name, std::string& out);

// Reads a recording file; on failure says why on stderr, as the application does.
std::optional<LoadedRecording> loadRecordingOrSay(const std::string& path);
// The same, naming the file in the message (commands that read several files).
std::optional<LoadedRecording> loadNamedRecordingOrSay(const std::string& path);

} // namespace quillmark::cli
