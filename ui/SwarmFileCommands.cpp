// SPDX-License-Identifier: MIT
#include "SwarmFileCommands.h"

#include "AtomicFile.h"
#include "SnapshotFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <string>

namespace {

// The file functions name the file by its bytes; the window's messages show its
// name as text, so the reason is taken without that prefix.
QString WithoutPathPrefix(const QString& path, std::string message)
{
    const std::string prefix = QFile::encodeName(path).toStdString() + ": ";
    if (message.rfind(prefix, 0) == 0)
        message.erase(0, prefix.size());
    return QString::fromStdString(message);
}

} // namespace

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent, request.title, QString(), request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

bool SaveBytesAtomically(const QString& path, const QByteArray& bytes, QString& error)
{
    std::string message;
    if (SaveFileAtomically(QFile::encodeName(path).toStdString(),
                           std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), message))
        return true;
    error = QStringLiteral("%1: %2").arg(path, WithoutPathPrefix(path, message));
    return false;
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
    return SaveBytesAtomically(path, png, error);
}

bool SaveSnapshotTo(const Snapshot& snapshot, const QString& path, QString& error)
{
    return SaveBytesAtomically(path, QByteArray::fromStdString(WriteSnapshot(snapshot)), error);
}

bool LoadSnapshotFrom(const QString& path, Snapshot& out, QString& error)
{
    std::string message;
    if (LoadSnapshotFile(QFile::encodeName(path).toStdString(), out, message))
        return true;
    error = QStringLiteral("%1: %2").arg(path, WithoutPathPrefix(path, message));
    return false;
}

QString DroppedSnapshotPath(const QMimeData& mime)
{
    const QString suffix = QLatin1Char('.') + QLatin1String(kSnapshotSuffix);
    for (const QUrl& url : mime.urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(suffix, Qt::CaseInsensitive))
            return url.toLocalFile();
    return {};
}
