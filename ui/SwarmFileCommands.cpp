// SPDX-License-Identifier: MIT
#include "SwarmFileCommands.h"

#include "PngImage.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QMimeData>
#include <QUrl>

#include <string>

std::string FileNameBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString MessageNamingFile(const QString& path, std::string message)
{
    // The file functions name the file by its bytes; the window shows its name as text.
    const std::string bytes = FileNameBytes(path);
    return path + QString::fromStdString(::MessageNamingFile(bytes, std::move(message)).substr(bytes.size()));
}

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request)
{
    // Each kind of file, known by its suffix, starts at the last one chosen in this
    // run, saved or opened: its folder, with its name selected. A kind not chosen
    // yet starts in the folder the program started in, whatever other kinds did.
    static QHash<QString, QString> lastOfKind;
    const QString last = lastOfKind.value(request.defaultSuffix);
    QFileDialog dialog(parent, request.title, last.isEmpty() ? QDir::currentPath() : QFileInfo(last).absolutePath(),
                       request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!last.isEmpty())
        dialog.selectFile(QFileInfo(last).fileName());
    const QString chosen = dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    if (!chosen.isEmpty())
        lastOfKind.insert(request.defaultSuffix, chosen);
    return chosen;
}

bool SavePicturePng(const PixelBuffer& picture, const QString& path, QString& error)
{
    if (picture.IsEmpty()) {
        error = QStringLiteral("%1: there is no picture to save").arg(path);
        return false;
    }
    std::string message;
    if (SavePng(picture, FileNameBytes(path), message))
        return true;
    error = MessageNamingFile(path, message);
    return false;
}

QString DroppedSnapshotPath(const QMimeData& mime)
{
    for (const QUrl& url : mime.urls())
        if (url.isLocalFile() && IsSnapshotName(url.toLocalFile().toStdString()))
            return url.toLocalFile();
    return {};
}
