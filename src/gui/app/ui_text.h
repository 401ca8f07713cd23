#pragma once
// The core speaks English (its texts are also the command-line tool's); the windows show those
// texts in the user's language. Every core text that can reach a window is listed, for the
// translators, in ui_text.cpp.
#include <QString>
#include <string>

namespace quillmark {

// Translation context of the core's texts.
inline constexpr char kCoreTextContext[] = "quillmark";

// A core text in the user's language: a whole fixed text, or a fixed text with numbers and
// names filled in ("Please input between 0 and 30 V"). A text that is not known comes back
// unchanged.
QString uiText(const std::string& english);
QString uiText(const char* english);

// An item of the plot's right-click menu, with a mnemonic, in the user's language.
QString uiMenuText(const std::string& english);

// A figure of the Measurements panel ("3 samples", "12.5 V at sample 7, ..."): its words in
// the user's language, its numbers and times as they are.
QString uiFigure(const std::string& english);

// An entry of the sample-rate list ("24hr"), its abbreviation in the user's language.
QString uiRate(const std::string& english);

// The settings dialog's recording-time text ("1_Day, 20_Hours, 26_Minutes"), its words
// translated, its numbers and commas kept.
QString uiDuration(const std::string& english);

// Loads the translation of the user's locale (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) for the
// windows and Qt's own dialogs; English and C locales load nothing. True when one was loaded.
bool installUiTranslation();
// Back to the English texts (tests switch languages).
void removeUiTranslation();
// Loads the translation for `locale` ("de_DE") whatever the environment says.
bool installUiTranslation(const QString& locale);

} // namespace quillmark
