#pragma once

#include "dialog_framework/message_box.h"

// The messages of the main dialog, word for word.
namespace message_texts {

inline constexpr char kProblem[] = "Problem";
inline constexpr char kFinished[] = "Finished";

inline constexpr char kNoInputFiles[] = "Please add one or more files to the input files list.";
inline constexpr char kNoMassRanges[] =
    "Please add one or more mass ranges\nto the processing parameters.";
inline constexpr char kRunSucceeded[] = "All files have been processed successfully.";
inline constexpr char kRunFailed[] = "There was an error during processing.";
inline constexpr char kNotRawFile[] =
    "You can only drag Brevanto raw data files (*.raw) into the list.";

}  // namespace message_texts

inline MessageBoxRequest ProblemMessage(const char* text) {
    return {QMessageBox::Warning, QString::fromLatin1(message_texts::kProblem),
            QString::fromLatin1(text), QString()};
}
