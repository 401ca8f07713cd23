#pragma once
// A message for the user as data: the core decides its text, caption and icon, and each front
// end shows it in its own way (a modal box in the window, a line on the terminal).
#include <string>

namespace quillmark {

// The application title: the main window's caption and that of most message boxes.
inline constexpr char kAppTitle[] = "Quillmark";

enum class MessageIcon { None, Exclamation };

// A modal message box with an OK button.
struct DialogMessage {
    std::string text;
    std::string caption = kAppTitle;
    MessageIcon icon = MessageIcon::None;

    bool operator==(const DialogMessage&) const = default;
};

} // namespace quillmark
