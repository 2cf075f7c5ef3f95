// The host's standard dialogs: choosing a file to save, and message boxes.
#pragma once

#include <string>
#include <string_view>

// Message box icons, with the host's numbers.
enum : int {
    kMessageIconError = 0x10,
    kMessageIconInformation = 0x40,
};

/// What the save dialog is opened with. Texts are Windows-1252, paths host paths.
struct NHostSaveDialog {
    std::string fTitle;
    /// Pairs of description and patterns, each part ended by "|" or a zero byte, the list by
    /// an empty part: "Lumora (*.Qip)|*.Qip||"; several patterns are separated by ";".
    std::string fFilter;
    std::string fDefaultExtension;   // without the dot; added when the chosen name has none
    std::string fInitialFolder;
    std::string fInitialName;
    bool fPromptOverwrite = true;
};

/// The dialogs go to the desktop through zenity, else kdialog, when a display ($DISPLAY or
/// $WAYLAND_DISPLAY) and one of them are there. Without either, a message box writes its
/// caption and text to standard error and the save dialog answers "cancel". Tests and
/// scripts answer instead through $LUMORA_DIALOG_ANSWER: a Linux path for the save dialog,
/// or "cancel"; message boxes then go to standard error.
class NHostDialogs {
public:
    /// The host path of the file chosen (with the default extension added when the name has
    /// none); false when the user cancels, or the chosen file's folder does not exist.
    static bool SaveFile(const NHostSaveDialog& dialog, std::string& chosenHostPath);
    /// Asks a question with Yes and No; true for Yes. $LUMORA_DIALOG_ANSWER answers it ("no"
    /// or "cancel" is No, anything else Yes); with nothing to ask through the answer is No,
    /// and the question goes to standard error.
    static bool Ask(std::string_view caption, std::string_view text);
    /// Shows a message with an OK button and waits until it is closed.
    static void MessageBox(std::string_view caption, std::string_view text, int icon);
};
