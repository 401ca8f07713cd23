#pragma once
// The folder each kind of file dialog last used, kept in the per-user settings beside the
// recent-file list, so Open and Save start where the user last was for that kind of file.
#include <QString>

namespace quillmark {

enum class FileKind { Recordings, Exports, Images, Reports };

// The remembered folder of `kind`; empty when none is stored or it no longer exists.
QString rememberedFolder(FileKind kind);
// Remembers the folder holding `chosenFile`.
void rememberFolder(FileKind kind, const QString& chosenFile);

} // namespace quillmark
