// SPDX-License-Identifier: MIT
#include "SwarmCanvas.h"

#include <QImage>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

SwarmCanvas::SwarmCanvas(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The frame and the buffer cover every pixel: the dialog behind needs no repaint.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize SwarmCanvas::ClientSize() const
{
    return contentsRect().size();
}

QPoint SwarmCanvas::ClientFromDialog(const QPoint& dialogPoint) const
{
    return mapFrom(parentWidget(), dialogPoint) - contentsRect().topLeft();
}

CanvasView SwarmCanvas::View() const
{
    const QSize client = ClientSize();
    return {client.width(), client.height(), devicePixelRatioF()};
}

QSize SwarmCanvas::BufferSize() const
{
    CanvasView part = View();
    if (const QScreen* shown = screen()) {
        part.width = std::min(part.width, shown->geometry().width());
        part.height = std::min(part.height, shown->geometry().height());
    }
    if (part.width <= 0 || part.height <= 0)
        return QSize();
    const DeviceExtent size = DeviceSize(part);
    return QSize(size.width, size.height);
}

CanvasBuffer SwarmCanvas::MakeBuffer() const
{
    const QSize size = BufferSize();
    if (size.isEmpty())
        return CanvasBuffer();
    return CanvasBuffer(size.width(), size.height(), devicePixelRatioF());
}

bool SwarmCanvas::BufferFits(const CanvasBuffer& buffer) const
{
    return !buffer.IsNull() && buffer.Image().devicePixelRatio() == devicePixelRatioF() &&
           buffer.Image().size() == BufferSize();
}

void SwarmCanvas::ShowBuffer(const QImage* buffer)
{
    m_pBuffer = buffer;
    update(contentsRect());
}

void SwarmCanvas::paintEvent(QPaintEvent* event)
{
    // The frame's lines are one device pixel wide whatever the ratio, so at a ratio
    // above 1 they leave pixels of the frame between them: those are filled first,
    // as nothing behind the canvas is painted.
    {
        QPainter background(this);
        background.fillRect(rect(), palette().window());
    }
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect client = contentsRect();
    painter.setClipRect(client);
    painter.fillRect(client, QColor(192, 192, 192));
    if (!m_pBuffer || m_pBuffer->isNull())
        return;
    // Copied device pixel for device pixel, so that the toolkit does not scale it,
    // from the device pixel where the client area starts: on a fractional ratio
    // the canvas itself may start between two device pixels.
    const double ratio = m_pBuffer->devicePixelRatio();
    const QTransform device = painter.deviceTransform();
    const QPointF start = device.map(QPointF(client.topLeft()));
    painter.scale(1.0 / ratio, 1.0 / ratio);
    const QRectF source(QPointF(0, 0), QSizeF(m_pBuffer->size()));
    const QPointF corner(std::floor(start.x() + 0.5) - device.dx(), std::floor(start.y() + 0.5) - device.dy());
    painter.drawImage(QRectF(corner, source.size()), *m_pBuffer, source);
}
