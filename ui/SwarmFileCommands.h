// SPDX-License-Identifier: MIT
#pragma once

// The window's files without the window: the picture as PNG, snapshots saved all
// or nothing and read strictly, and which of the files dropped on the window is a
// snapshot. Every message names the file.

#include "Snapshot.h"

#include <QString>

class QImage;
class QMimeData;
class QWidget;

// The file dialogs' filters and the suffix a name without one gets.
inline constexpr const char* kSnapshotFilter = "Driftmote snapshots (*.driftmote)";
inline constexpr const char* kSnapshotSuffix = "driftmote";
inline constexpr const char* kPictureFilter = "PNG pictures (*.png)";
inline constexpr const char* kPictureSuffix = "png";

// What the window asks a file dialog for; an empty answer means cancelled.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QString filter;
    QString defaultSuffix;
};

// Runs the toolkit's file dialog for the request; the chosen path, or empty.
QString RunFileDialog(QWidget* parent, const FileDialogRequest& request);

// Writes the bytes to a new file beside `path` and puts it in place only once
// complete: a failed save leaves the previous file as it was.
bool SaveBytesAtomically(const QString& path, const QByteArray& bytes, QString& error);

// The picture, pixel for pixel, as a PNG file.
bool SavePicturePng(const QImage& picture, const QString& path, QString& error);

bool SaveSnapshotTo(const Snapshot& snapshot, const QString& path, QString& error);

// Reads and checks a snapshot file; on failure `out` is left as it was.
bool LoadSnapshotFrom(const QString& path, Snapshot& out, QString& error);

// The first local file among the dropped ones whose name ends in .driftmote
// (in any case), or an empty string.
QString DroppedSnapshotPath(const QMimeData& mime);
