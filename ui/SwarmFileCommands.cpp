// SPDX-License-Identifier: MIT
#include "SwarmFileCommands.h"

#include "AtomicFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QImage>
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

bool SavePicturePng(const QImage& picture, const QString& path, QString& error)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (picture.isNull() || !picture.save(&buffer, "PNG")) {
        error = QStringLiteral("%1: there is no picture to save").arg(path);
        return false;
    }
    std::string message;
    if (SaveFileAtomically(FileNameBytes(path),
                           std::string_view(png.constData(), static_cast<std::size_t>(png.size())), message))
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
