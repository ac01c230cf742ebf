// SPDX-License-Identifier: MIT
#pragma once

// The drawing surface of the main dialog: a sunken frame around a client area
// that shows the dialog's back buffer. It takes no mouse input, so the pointer
// over it reaches the dialog.

#include "CanvasBuffer.h"

#include <QFrame>

class SwarmCanvas : public QFrame {
public:
    explicit SwarmCanvas(QWidget* parent);

    // The client area: inside the frame, origin at its top-left pixel.
    QSize ClientSize() const;

    // A point in the dialog's client coordinates converted to the canvas's client coordinates.
    QPoint ClientFromDialog(const QPoint& dialogPoint) const;

    // The client area as the renderer sees it: its logical size and the device
    // pixels per logical pixel of the screen it is on.
    CanvasView View() const;

    // A back buffer for the client area in device pixels, no larger than the screen:
    // a larger canvas shows its top-left part. Null for an empty client area or when
    // the memory is short.
    CanvasBuffer MakeBuffer() const;

    // Whether the buffer is the one MakeBuffer would make now: false once the
    // client area was resized or the window went to a screen of another ratio or size.
    bool BufferFits(const CanvasBuffer& buffer) const;

    // Shows the buffer (in device pixels, from the client area's top-left) at the next repaint; null
    // shows the bare grey area. The buffer must outlive the canvas or be replaced.
    void ShowBuffer(const QImage* buffer);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize BufferSize() const;

    const QImage* m_pBuffer = nullptr;
};
