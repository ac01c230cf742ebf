// SPDX-License-Identifier: MIT
#pragma once

// Helpers shared by the window tests: a main dialog on screen with a known canvas
// and particles (placed through a snapshot file), frames sent as paint requests,
// and a way to act on a menu or modal box from inside its own loop.

#include "AtomicFile.h"
#include "CSwarmDlg.h"
#include "Resource.h"
#include "Snapshot.h"
#include "SwarmCanvas.h"
#include "TemplateBuilder.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The boxes by their labels, in the session's order.
inline constexpr int kBoxes[kParamBoxCount] = {IDC_NUM, IDC_ATTRACTION, IDC_REPULSION, IDC_FRICTION};

// The fields a step writes, in particle order.
inline std::vector<float> Positions(const ParticleSystem& ps)
{
    std::vector<float> values;
    for (int i = 0; i < ps.m_nCount; ++i)
        values.insert(values.end(), {ps.m_pCur[i].x, ps.m_pCur[i].y, ps.m_pCur[i].vx, ps.m_pCur[i].vy});
    return values;
}

inline bool SameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// The particles after one step of a copy of the system.
inline std::vector<float> SteppedOnce(const ParticleSystem& ps)
{
    ParticleSystem copy;
    copy.SetCount(ps.m_nCount);
    std::copy(ps.m_pCur, ps.m_pCur + ps.m_nCount, copy.m_pCur);
    copy.m_fAttraction = ps.m_fAttraction;
    copy.m_fRepulsion = ps.m_fRepulsion;
    copy.m_fFriction = ps.m_fFriction;
    copy.Step();
    return Positions(copy);
}

// Shows the dialog as the application does; false if it never gets on screen.
inline bool ShowOnScreen(CSwarmDlg& dlg)
{
    dlg.showNormal();
    dlg.activateWindow();
    return QTest::qWaitForWindowExposed(&dlg);
}

inline SwarmCanvas* Canvas(const CSwarmDlg& dlg)
{
    return static_cast<SwarmCanvas*>(GetDlgItem(&dlg, IDC_CANVAS));
}

// Gives the canvas a client area of width x height pixels; the next frame rebuilds
// the back buffer at that size.
inline void SetCanvasClientSize(CSwarmDlg& dlg, int width, int height)
{
    const int frame = Canvas(dlg)->frameWidth();
    Canvas(dlg)->resize(width + 2 * frame, height + 2 * frame);
    QCoreApplication::processEvents();
}

// The dialog's client point (and so the window point) over canvas pixel (px, py).
inline QPoint DialogPointOfPixel(const CSwarmDlg& dlg, int px, int py)
{
    return Canvas(dlg)->mapTo(&dlg, QPoint(px, py) + Canvas(dlg)->contentsRect().topLeft());
}

// The dialog's point over world (x, y) on a canvas of 400 by 300 pixels.
inline QPoint DialogPointOfWorld(const CSwarmDlg& dlg, float x, float y)
{
    return DialogPointOfPixel(dlg, static_cast<int>(std::lround(x * 39.5)),
                              static_cast<int>(std::lround((10.0 - y) * 29.5)));
}

// Writes a snapshot of these particles, with no forces and no friction, to `path`;
// false if it could not be written.
inline bool WriteParticlesSnapshot(const QString& path, const std::vector<Particle>& particles)
{
    const Snapshot snapshot{{std::to_string(particles.size()), "0", "0", "0"}, 0, 1, particles};
    std::string error;
    return SaveFileAtomically(path.toStdString(), WriteSnapshot(snapshot), error);
}

// Replaces the particles by resting ones at the given world positions, with no
// forces and no friction, through a snapshot file opened as a user opens one;
// false if that failed.
inline bool PlaceParticles(CSwarmDlg& dlg, std::initializer_list<std::pair<float, float>> positions)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("placed.driftmote"));
    std::vector<Particle> particles;
    for (const auto& [x, y] : positions)
        particles.push_back(Particle{x, y, 0.0f, 0.0f, 0.0f});
    return WriteParticlesSnapshot(path, particles) && dlg.OpenSnapshot(path);
}

// The picture the canvas shows now.
inline QImage CanvasPicture(const CSwarmDlg& dlg)
{
    return Canvas(dlg)->grab(Canvas(dlg)->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

// An RGB32 image's pixels as the renderer's pixels, where they are.
inline PixelBuffer PixelsOfImage(const QImage& image)
{
    return {image.width(), image.height(), image.bytesPerLine() / 4,
            reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(image.constBits()))};
}

// Where the ink of `text` lands when it is drawn into `space` with `flags`, as a
// control draws its text, without cutting it off at the edges of `space`.
inline QRect InkOfText(const QFont& font, const QRect& space, int flags, const QString& text)
{
    const int pad = 64;
    QImage image(space.size() + QSize(2 * pad, 2 * pad), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(pad, pad), space.size()), flags | Qt::TextDontClip, text);
    painter.end();
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                ink |= QRect(x, y, 1, 1);
    return ink.translated(space.topLeft() - QPoint(pad, pad));
}

// Whether a control's text shows whole within the control: a label's text wrapped
// at its width, a button's within the button's frame and an edit's within its
// frame and margins. Only the ink counts: a line's empty room above and below its
// letters may be cut off. Controls without text fit.
inline bool TextFits(QWidget* control)
{
    QRect space;
    int flags = 0;
    QString text;
    if (auto* label = qobject_cast<QLabel*>(control)) {
        space = label->contentsRect();
        flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        text = label->text();
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        space = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        text = button->text();
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        // The edit keeps two pixels on either side of its text and one above and below.
        space = edit->style()
                    ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                    .marginsRemoved(edit->textMargins())
                    .adjusted(2, 1, -2, -1);
        flags = Qt::AlignLeft | Qt::AlignVCenter;
        text = edit->text();
    }
    if (text.isEmpty())
        return true;
    return space.contains(InkOfText(control->font(), space, flags, text));
}

// A paint request as the window system sends it.
inline void SendPaint(QWidget* w)
{
    QPaintEvent paint(w->rect());
    QCoreApplication::sendEvent(w, &paint);
}

// Calls `act` with the first visible widget that `find` returns, polling from
// whatever event loop runs meanwhile (a menu's or a modal box's). Should nothing
// show up within a few seconds, it closes any open menu or modal box so that the
// test ends instead of hanging, and sets `*gaveUp`.
inline void WhenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> act, bool* gaveUp)
{
    auto* timer = new QTimer(qApp);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, qApp, [=] {
        if (QWidget* w = find(); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        } else if (++*ticks > 500) {
            timer->stop();
            timer->deleteLater();
            *gaveUp = true;
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        }
    });
    timer->start(10);
}
