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
    // What lies behind a fixed text (which transfer failed and why): the box's details in the
    // window, the line after the text on the terminal. Empty when there is nothing to add.
    std::string detail = {};

    bool operator==(const DialogMessage&) const = default;
};

} // namespace quillmark
