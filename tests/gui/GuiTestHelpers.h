#pragma once

// Helpers shared by the window tests: a main dialog on screen with a known canvas
// and particles, frames sent as paint requests, and a way to act on a menu or
// modal box from inside its own loop.

#include "CSwarmDlg.h"
#include "Resource.h"
#include "SwarmCanvas.h"
#include "TemplateBuilder.h"

#include <QApplication>
#include <QPaintEvent>
#include <QTest>
#include <QTimer>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

// Shows the dialog as the application does; false if it never gets on screen.
inline bool ShowOnScreen(CSwarmDlg& dlg)
{
    dlg.showNormal();
    dlg.activateWindow();
    return QTest::qWaitForWindowExposed(&dlg);
}

// Gives the canvas a client area of width x height pixels; the next frame rebuilds
// the back buffer at that size.
inline void SetCanvasClientSize(CSwarmDlg& dlg, int width, int height)
{
    const int frame = dlg.m_canvas->frameWidth();
    dlg.m_canvas->resize(width + 2 * frame, height + 2 * frame);
    dlg.m_bResized = true;
    QCoreApplication::processEvents();
}

// The dialog's client point (and so the window point) over canvas pixel (px, py).
inline QPoint DialogPointOfPixel(const CSwarmDlg& dlg, int px, int py)
{
    return dlg.m_canvas->mapTo(&dlg, QPoint(px, py) + dlg.m_canvas->contentsRect().topLeft());
}

// Replaces the particles by resting ones at the given world positions, with no
// forces and no friction, so that only the pointer moves them.
inline void PlaceParticles(CSwarmDlg& dlg, std::initializer_list<std::pair<float, float>> positions)
{
    ParticleSystem& ps = dlg.m_particles;
    ps.SetCount(static_cast<int>(positions.size()));
    int i = 0;
    for (const auto& [x, y] : positions)
        ps.m_pCur[i++] = Particle{x, y, 0.0f, 0.0f, 0.0f};
    ps.m_fAttraction = ps.m_fRepulsion = ps.m_fFriction = 0.0f;
    dlg.m_nHover = dlg.m_nDrag = -1;
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
