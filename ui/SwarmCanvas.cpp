// SPDX-License-Identifier: MIT
#include "SwarmCanvas.h"

#include <QImage>
#include <QPainter>

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

void SwarmCanvas::ShowBuffer(const QImage* buffer)
{
    m_pBuffer = buffer;
    update(contentsRect());
}

void SwarmCanvas::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect client = contentsRect();
    painter.setClipRect(client);
    painter.fillRect(client, QColor(192, 192, 192));
    if (m_pBuffer && !m_pBuffer->isNull())
        painter.drawImage(client.topLeft(), *m_pBuffer);
}
