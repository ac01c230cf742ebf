// SPDX-License-Identifier: MIT
#pragma once

// The window's side of files: the file dialogs, the picture as PNG (saved all or
// nothing), messages naming a file, and which of the files dropped on the window
// is a snapshot.

#include "PixelBuffer.h"
#include "WindowTexts.h"

#include <QString>

#include <string>

class QMimeData;
class QWidget;

// What the window asks a file dialog for; an empty answer means cancelled.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QString filter;
    QString defaultSuffix;
};

// Runs the toolkit's file dialog for the request; the chosen path, or empty. It
// starts at the last file of the same suffix chosen in this run, if any.
QString RunFileDialog(QWidget* parent, const FileDialogRequest& request);

// A path as the file functions take it, in the system's encoding of file names.
std::string FileNameBytes(const QString& path);

// "path: reason" for a message from the file functions, which may already start
// with the path in its bytes.
QString MessageNamingFile(const QString& path, std::string message);

// The picture, pixel for pixel, as a PNG file, written as driftmote-sim writes its pictures.
bool SavePicturePng(const PixelBuffer& picture, const QString& path, QString& error);

// The first local file among the dropped ones whose name ends in .driftmote
// (in any case), or an empty string.
QString DroppedSnapshotPath(const QMimeData& mime);
