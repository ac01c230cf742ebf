// SPDX-License-Identifier: MIT
// The main dialog's file commands: the picture, saving and opening snapshots, and
// snapshot files dropped on the window.

#include "CSwarmDlg.h"

#include "WindowTexts.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QTimer>

void CSwarmDlg::OnSavePicture()
{
    // The picture on the screen now, whatever frames the dialog lets through.
    const PixelImage picture = PixelImage::CopyOf(m_backBuffer.Pixels());
    const QString path = m_runFileDialog({true, QStringLiteral("Save Picture"),
                                          QString::fromUtf8(kPictureFilter), QString::fromUtf8(kPictureSuffix)});
    QString error;
    if (!path.isEmpty() && !SavePicturePng(picture.View(), path, error))
        ShowFileError(error);
}

void CSwarmDlg::OnSaveSnapshot()
{
    const QString path = m_runFileDialog({true, QStringLiteral("Save Snapshot"),
                                          QString::fromUtf8(kSnapshotFilter), QString::fromUtf8(kSnapshotSuffix)});
    std::string error;
    if (!path.isEmpty() && m_session.SaveSnapshotFile(FileNameBytes(path), error) != SessionResult::Done)
        ShowFileError(MessageNamingFile(path, error));
}

void CSwarmDlg::OnOpenSnapshot()
{
    const QString path =
        m_runFileDialog({false, QStringLiteral("Open Snapshot"), QString::fromUtf8(kSnapshotFilter), QString()});
    if (!path.isEmpty())
        OpenSnapshot(path);
}

bool CSwarmDlg::OpenSnapshot(const QString& path)
{
    std::string error;
    const SessionResult result = m_session.OpenSnapshotFile(FileNameBytes(path), error);
    if (result == SessionResult::Done || result == SessionResult::Declined)
        ShowSession();
    if (result == SessionResult::BadFile || result == SessionResult::NoMemory)
        ShowFileError(MessageNamingFile(path, error));
    if (result == SessionResult::Done)
        StopRecording(RecordingStop::SnapshotOpened);
    CloseIfRequested();
    return result == SessionResult::Done;
}

void CSwarmDlg::ShowFileError(const QString& message)
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kMessageCaption), message, QMessageBox::Ok, this);
    m_runMessageBox(box);
}

void CSwarmDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedSnapshotPath(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CSwarmDlg::dropEvent(QDropEvent* event)
{
    const QString path = DroppedSnapshotPath(*event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over, so that a message box does not hold up the source.
    QTimer::singleShot(0, this, [this, path] { OpenSnapshot(path); });
}
