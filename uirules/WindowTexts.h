// SPDX-License-Identifier: MIT
#pragma once

// What the main window says, whatever draws it: the large-count question and the
// memory message, the title while paused or recording, what a screen reader says
// for each control, the file dialogs' filters, messages naming a file, and which
// dropped file is a snapshot. Texts are UTF-8.

#include <string>
#include <string_view>

// The question before a count above kConfirmCountAbove, answered Yes or No.
inline constexpr const char* kConfirmCountCaption = "Watch out";
inline constexpr const char* kConfirmCountText = "Numbers larger than about 350 might REALLY slow things down. Sure?";

// The caption of the window's other message boxes.
inline constexpr const char* kMessageCaption = "Driftmote";

// "There is not enough memory for COUNT particles."
std::string NoMemoryText(int count);

// "Driftmote", with " (paused)", " (recording)" or " (paused, recording)".
std::string RunStateTitle(bool paused, bool recording);

// The canvas's description: "67 particles, running", "1 particle, paused".
std::string CanvasDescription(int particles, bool paused);

// What a screen reader says for a control of the main dialog: its name, a
// description where the name alone does not say what it does (null for none),
// and for a label the box that it names (0 for none). The boxes are named after
// their labels.
struct AccessibleText {
    int id;
    const char* name;
    const char* description;
    int labelOf;
};
extern const AccessibleText kAccessibleTexts[];
extern const int kAccessibleTextCount;

// The file dialogs' filters, "what (*.suffix)", and the suffix a name without one gets.
inline constexpr const char* kSnapshotFilter = "Driftmote snapshots (*.driftmote)";
inline constexpr const char* kSnapshotSuffix = "driftmote";
inline constexpr const char* kPictureFilter = "PNG pictures (*.png)";
inline constexpr const char* kPictureSuffix = "png";

// "path: reason" for a message from the file functions, which may already start
// with the path itself.
std::string MessageNamingFile(const std::string& path, std::string message);

// Whether a file name ends in .driftmote, in any case.
bool IsSnapshotName(std::string_view name);
