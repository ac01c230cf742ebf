// SPDX-License-Identifier: MIT
#pragma once

// The main window: the canvas on which the particles drift and, down its right
// edge, the count and coefficient boxes, the Play Nice toggle, the preset arrows
// and the credit button. It owns the session, turns widget events into session
// calls and draws the session's particles.

#include "CanvasBuffer.h"
#include "ColumnFoot.h"
#include "ControlLayout.h"
#include "SwarmSession.h"
#include "SwarmFileCommands.h"
#include "WidgetLayoutWindows.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

class QAction;
class QLineEdit;
class QMessageBox;
class QPushButton;
class SwarmCanvas;

class CSwarmDlg : public QDialog {
public:
    explicit CSwarmDlg(QWidget* parent = nullptr);
    ~CSwarmDlg() override;

    // Creates the controls from the template and initialises the dialog; the
    // window is shown by its owner.
    void Create();

    // The running Driftmote the window shows; every handler below turns a widget
    // event into one of its calls.
    const SwarmSession& Session() const { return m_session; }
    bool IsPaused() const { return m_session.Paused(); }

    // One frame: the session's frame, the drawing and the Play Nice pause (only the
    // icon while minimised).
    void OnPaint();
    void Render();

    void OnSize(int cx, int cy);
    void OnOK();
    void OnCancel();
    void OnChangeNum();
    void OnChangeAttraction();
    void OnChangeRepulsion();
    void OnChangeFriction();
    void OnPresetPrev();
    void OnPresetNext();

    // The pointer over the dialog (the canvas lets it through), in the dialog's
    // client coordinates, at the event's time in milliseconds. A move maps the
    // pointer to world units; a press grabs the particle under it and a release
    // lets it go.
    void OnMouseMove(Qt::MouseButtons buttons, const QPoint& point, quint64 timeMs);
    void OnLButtonDown(Qt::MouseButtons buttons, const QPoint& point);
    void OnLButtonUp(Qt::MouseButtons buttons, const QPoint& point, quint64 timeMs);

    // A window command, from the window menu: the About entry opens the About box,
    // every other command gets the usual window behaviour.
    void OnSysCommand(unsigned nID, qintptr lParam);
    void OnCredit();

    // The window menu's own commands. Pause stops and resumes the steps; Step One
    // Frame, while paused, runs one whole frame. The file commands ask for a name
    // through the file dialog hook and report any failure in a message box, changing nothing.
    void OnPause();
    void OnStepOneFrame();
    void OnSavePicture();
    void OnSaveSnapshot();
    void OnOpenSnapshot();

    // Recording the canvas as a video (CSwarmDlgRecording.cpp). The entry starts a
    // recording, after asking for a name, or stops it; closing the window, opening a
    // snapshot, a change of the canvas size or a failure stop it too.
    enum class RecordingStop { User, Closed, SnapshotOpened, Resized, Failed };
    static bool CanRecordVideo();
    bool IsRecording() const;
    void OnRecordVideo();
    void StopRecording(RecordingStop reason);
    // The timer's tick: stops a recording that failed or whose canvas changed
    // size, or else offers the picture.
    void OnRecordTick();
    // Hands the recording the picture drawn last unless its 60th of a second has
    // one already; nothing else. Every frame calls it.
    void OfferRecordingPicture();
    // Pictures of the recording under way: encoded, and dropped because the
    // encoder was behind.
    long long RecordingEncoded() const;
    long long RecordingDropped() const;

    // Opens a snapshot file (from the command line, a drop or the dialog): the whole
    // state is replaced, or nothing changes and a message box says why.
    bool OpenSnapshot(const QString& path);

    // A request to end the program that waits for nobody (a signal, or Escape and the
    // close box during long work): taken at once, also from inside a box's or a file
    // dialog's own loop, which it ends, or, during long work, as soon as the work
    // looks at its events, which it does several times a second. The program then
    // exits with `exitCode`; a box that would open from then on writes its message
    // to stderr instead.
    void RequestClose(int exitCode = 0);
    // Once cancelled, the program ends with ExitCode() whichever event loop runs.
    bool IsEnding() const { return m_bEnding; }
    int ExitCode() const { return m_nExitCode; }
    // Finishes a recording under way when the process is leaving without the window
    // (the display went away): the file is completed, nothing of the window is touched.
    void FinishRecordingAtExit();

    // Opens the window menu at a screen position and dispatches the chosen command.
    void ShowWindowMenu(const QPoint& globalPos);

    // The hooks through which the dialog meets the user and the frame loop; tests
    // replace them to read and answer without a display.
    // Every message box is run through this; it returns the button pressed.
    void SetMessageBoxRunner(std::function<int(QMessageBox&)> run);
    // The Play Nice pause at the end of a frame is taken through this.
    void SetSleep(std::function<void(std::chrono::milliseconds)> sleep) { m_sleep = std::move(sleep); }
    // Every file dialog is run through this; it returns the chosen path or an empty string.
    void SetFileDialogRunner(std::function<QString(const FileDialogRequest&)> run);
    // Told when the pause is switched, so that the frame loop can rest or resume.
    void SetPauseListener(std::function<void(bool paused)> listener) { m_pauseChanged = std::move(listener); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void accept() override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DoDataExchange();
    void OnInitDialog();
    QLineEdit* Edit(ParamBox box) const;
    // Types a box's text into the session, then shows what the session holds.
    void TypeBox(ParamBox box);
    // Puts the session's texts into the boxes where they differ, without running
    // the change handlers; a box whose whole text was selected keeps it so.
    void ShowSessionTexts();
    // After a session call that may change the particles or the texts: the boxes,
    // the title and the canvas's description, and a frame while paused.
    void ShowSession();
    // The title and the canvas's description, for the count, the pause and a recording.
    void ShowRunState();
    bool ConfirmLargeCount();
    void ShowNoMemory(int count);
    void FocusCountWithTextSelected();
    // The smallest window that keeps every control whole: the column's foot
    // (the credit button and Play Nice) risen to meet the rest of the column.
    void SetMinimumSizeFromTemplate();
    // While paused nothing else draws a frame: a change that shows asks for one.
    void RepaintIfPaused();
    void CreateMenuActions();
    void UpdateMenuActions();
    void ShowFileError(const QString& message);
    // Between chunks of long work: lets the window system's events through, of
    // which only a close request counts; true once one came.
    bool PollWhileBusy();
    // Ends the program if a close request came during long work.
    void CloseIfRequested();

    std::function<int(QMessageBox&)> m_runMessageBox;
    std::function<void(std::chrono::milliseconds)> m_sleep;
    std::function<QString(const FileDialogRequest&)> m_runFileDialog;
    std::function<void(bool paused)> m_pauseChanged;

    SwarmSession m_session;
    bool m_bBusy = false;     // events are being let through from inside long work
    int m_nCloseCode = -1;    // exit code of a close request that came meanwhile, -1 none
    int m_nExitCode = 0;      // the program's exit code when the dialog is cancelled
    bool m_bEnding = false;   // cancelled, or being cancelled: nothing waits for the user
    QElapsedTimer m_pollClock; // since events were last let through
    CanvasBuffer m_backBuffer; // the canvas's size; null until the first frame builds it
    ControlLayout m_layout;
    int m_nDotSize = 0;      // disc size in pixels, set when the dialog is initialised
    static constexpr int kFootControls = 2;
    FootControl m_foot[kFootControls] = {}; // the credit button and Play Nice at their template places
    int m_nFootGap = 0;      // pixels between the foot's controls and below Play Nice

    QLineEdit* m_editNum = nullptr;
    QPushButton* m_btnPlayNice = nullptr;
    SwarmCanvas* m_canvas = nullptr;
    QIcon m_hIcon;

    WidgetLayoutWindows m_windows;
    std::vector<QAction*> m_menuActions; // one per entry of kWindowMenu, null for a separator
    std::shared_ptr<struct WindowRecording> m_recording; // null while not recording
};
