#pragma once

// Helpers shared by the window tests: a main dialog on screen with a known canvas
// and particles, and a way to act on a menu or modal box from inside its own loop.

#include "CSwarmDlg.h"
#include "Resource.h"
#include "SwarmCanvas.h"
#include "TemplateBuilder.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

// Creates and shows a main dialog, as the application does.
inline std::unique_ptr<CSwarmDlg> ShowMainDialog()
{
    auto dlg = std::make_unique<CSwarmDlg>(nullptr);
    dlg->Create();
    dlg->showNormal();
    dlg->activateWindow();
    if (!QTest::qWaitForWindowExposed(dlg.get()))
        return nullptr;
    return dlg;
}

// Gives the canvas a client area of width x height pixels.
inline void SetCanvasClientSize(CSwarmDlg& dlg, int width, int height)
{
    const int frame = dlg.m_canvas->frameWidth();
    dlg.m_canvas->resize(width + 2 * frame, height + 2 * frame);
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
    ps.m_fAttraction = 0.0f;
    ps.m_fRepulsion = 0.0f;
    ps.m_fFriction = 0.0f;
    dlg.m_nHover = -1;
    dlg.m_nDrag = -1;
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
