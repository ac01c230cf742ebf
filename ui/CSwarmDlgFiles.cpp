// SPDX-License-Identifier: MIT
// The main dialog's file commands: the picture, saving and opening snapshots, and
// snapshot files dropped on the window.

#include "CSwarmDlg.h"

#include "Resource.h"
#include "SnapshotState.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

namespace {

// The boxes in the order of a snapshot's texts.
constexpr int kBoxIds[kSnapshotTextCount] = {IDC_NUM, IDC_ATTRACTION, IDC_REPULSION, IDC_FRICTION};

} // namespace

void CSwarmDlg::OnSavePicture()
{
    // The picture on the screen now, whatever frames the dialog lets through.
    const QImage picture = m_backBuffer.copy();
    const QString path = m_runFileDialog({true, QStringLiteral("Save Picture"),
                                          QString::fromUtf8(kPictureFilter), QString::fromUtf8(kPictureSuffix)});
    QString error;
    if (!path.isEmpty() && !SavePicturePng(picture, path, error))
        ShowFileError(error);
}

void CSwarmDlg::OnSaveSnapshot()
{
    const Snapshot snapshot = CaptureSnapshot();
    const QString path = m_runFileDialog({true, QStringLiteral("Save Snapshot"),
                                          QString::fromUtf8(kSnapshotFilter), QString::fromUtf8(kSnapshotSuffix)});
    QString error;
    if (!path.isEmpty() && !SaveSnapshotTo(snapshot, path, error))
        ShowFileError(error);
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
    Snapshot snapshot;
    QString error;
    if (!LoadSnapshotFrom(path, snapshot, error)) {
        ShowFileError(error);
        return false;
    }
    if (!RestoreSnapshot(snapshot)) {
        ShowFileError(QStringLiteral("%1: there is not enough memory for %2 particles.")
                          .arg(path)
                          .arg(snapshot.particles.size()));
        return false;
    }
    StopRecording(RecordingStop::SnapshotOpened);
    return true;
}

Snapshot CSwarmDlg::CaptureSnapshot() const
{
    Snapshot snapshot;
    for (int i = 0; i < kSnapshotTextCount; ++i)
        snapshot.texts[i] = Edit(kBoxIds[i])->text().toStdString();
    snapshot.preset = m_nPreset;
    CaptureParticles(m_particles, snapshot);
    return snapshot;
}

bool CSwarmDlg::RestoreSnapshot(const Snapshot& snapshot)
{
    if (!ApplyParticles(snapshot, m_particles))
        return false;
    for (int i = 0; i < kSnapshotTextCount; ++i) {
        QLineEdit* edit = Edit(kBoxIds[i]);
        const QSignalBlocker quiet(edit);
        // A box whose whole text was selected (the count at start) keeps it so.
        const bool allSelected = !edit->text().isEmpty() && edit->selectedText() == edit->text();
        edit->setText(QString::fromStdString(snapshot.texts[i]));
        if (allSelected)
            edit->selectAll();
    }
    OnChangeAttraction();
    OnChangeRepulsion();
    OnChangeFriction();
    m_nPreset = snapshot.preset;
    m_nHover = -1;
    m_nDrag = -1;
    RepaintIfPaused();
    return true;
}

void CSwarmDlg::ShowFileError(const QString& message)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Driftmote"), message, QMessageBox::Ok, this);
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
