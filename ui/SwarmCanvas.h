// SPDX-License-Identifier: MIT
#pragma once

// The drawing surface of the main dialog: a sunken frame around a client area
// that shows the dialog's back buffer. It takes no mouse input, so the pointer
// over it reaches the dialog.

#include <QFrame>

class QImage;

class SwarmCanvas : public QFrame {
public:
    explicit SwarmCanvas(QWidget* parent);

    // The client area: inside the frame, origin at its top-left pixel.
    QSize ClientSize() const;

    // A point in the dialog's client coordinates converted to the canvas's client coordinates.
    QPoint ClientFromDialog(const QPoint& dialogPoint) const;

    // Shows the buffer's top-left client-sized area at the next repaint; null
    // shows the bare grey area. The buffer must outlive the canvas or be replaced.
    void ShowBuffer(const QImage* buffer);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage* m_pBuffer = nullptr;
};
