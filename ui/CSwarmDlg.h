// SPDX-License-Identifier: MIT
#pragma once

// The main window: the canvas on which the particles drift and, down its right
// edge, the count and coefficient boxes, the Play Nice toggle, the preset arrows
// and the credit button. It owns the simulation, turns edits into parameters,
// presets into edit texts, and paint requests into frames.

#include "ControlLayout.h"
#include "ParticleSystem.h"
#include "SwarmFileCommands.h"
#include "WidgetLayoutWindows.h"

#include <QDialog>
#include <QIcon>
#include <QImage>

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

enum class ParamBox;
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

    // One frame: a step, the drawing and the Play Nice pause (only the icon while
    // minimised). While paused a frame draws and holds a dragged particle, without a step.
    void OnPaint();
    void StepAndDrag();
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
    // client coordinates. A move maps the pointer to world units and finds the
    // particle under it; a press grabs that particle and a release lets it go.
    void OnMouseMove(Qt::MouseButtons buttons, const QPoint& point);
    void OnLButtonDown(Qt::MouseButtons buttons, const QPoint& point);
    void OnLButtonUp(Qt::MouseButtons buttons, const QPoint& point);

    // A window command, from the window menu: the About entry opens the About box,
    // every other command gets the usual window behaviour.
    void OnSysCommand(unsigned nID, qintptr lParam);
    void OnCredit();

    // The window menu's own commands. Pause stops and resumes the steps; Step One
    // Frame, while paused, runs one whole frame. The file commands ask for a name
    // through m_runFileDialog and report any failure in a message box, changing nothing.
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
    void OnRecordTick();
    // Pictures of the recording under way: encoded, and dropped because the
    // encoder was behind.
    long long RecordingEncoded() const;
    long long RecordingDropped() const;

    // Opens a snapshot file (from the command line, a drop or the dialog): the whole
    // state is replaced, or nothing changes and a message box says why.
    bool OpenSnapshot(const QString& path);

    // The state a snapshot keeps: the four texts as they stand in the boxes, the
    // preset, the generator and the particles.
    Snapshot CaptureSnapshot() const;
    // Puts a snapshot's state in place without any handler's rescatter or question;
    // the coefficients are read from the texts as typing them would. The pause
    // stays as it is. False (and nothing changed) when the particles cannot be allocated.
    bool RestoreSnapshot(const Snapshot& snapshot);

    // Opens the window menu at a screen position and dispatches the chosen command.
    void ShowWindowMenu(const QPoint& globalPos);

    // Every message box of the dialog is run through this; it returns the button
    // pressed. Tests replace it to read and answer the boxes.
    std::function<int(QMessageBox&)> m_runMessageBox;

    // The Play Nice pause at the end of a frame is taken through this; tests
    // replace it to see when and for how long the frame pauses.
    std::function<void(std::chrono::milliseconds)> m_sleep;

    // Every file dialog of the dialog is run through this; it returns the chosen
    // path or an empty string. Tests replace it to answer without a dialog.
    std::function<QString(const FileDialogRequest&)> m_runFileDialog;

    // Told when the pause is switched, so that the frame loop can rest or resume.
    std::function<void(bool paused)> m_pauseChanged;

    ParticleSystem m_particles;
    QImage m_backBuffer;    // null until the first frame builds it
    bool m_bResized = false; // set by OnSize, cleared when the back buffer is rebuilt
    ControlLayout m_layout;
    int m_nHover = -1;      // particle under the pointer, -1 none
    int m_nDrag = -1;       // particle being dragged, -1 none
    float m_fMouseX = 0.0f; // last pointer position, world units
    float m_fMouseY = 0.0f;
    float m_fGrabDX = 0.0f; // pointer minus particle position at the grab, world units
    float m_fGrabDY = 0.0f;
    int m_nDotSize = 0;     // disc size in pixels, set when the dialog is initialised
    int m_nPreset = 0;      // current preset, 0 to 4
    bool m_bPaused = false; // frames draw without stepping

    QLineEdit* m_editNum = nullptr;
    QPushButton* m_btnPlayNice = nullptr;
    SwarmCanvas* m_canvas = nullptr;
    QIcon m_hIcon;

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

private:
    void DoDataExchange();
    void OnInitDialog();
    void ApplyPreset();
    QLineEdit* Edit(int id) const;
    // Sets an edit's text and runs its change handler once, also for an unchanged text.
    void SetEditText(QLineEdit* edit, const QString& text);
    // Types a text into the box's edit, whose change handler then takes it.
    bool TypeIntoBox(ParamBox box, std::string_view text);
    void SetParticleCount(int count);
    bool ConfirmLargeCount();
    void FocusCountWithTextSelected();
    void HoldDrag();
    // While paused nothing else draws a frame: a change that shows asks for one.
    void RepaintIfPaused();
    void CreateMenuActions();
    void UpdateMenuActions();
    void ShowFileError(const QString& message);

    WidgetLayoutWindows m_windows;
    std::vector<QAction*> m_menuActions; // one per entry of kWindowMenu, null for a separator
    std::shared_ptr<struct WindowRecording> m_recording; // null while not recording
};
