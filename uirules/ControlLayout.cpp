// SPDX-License-Identifier: MIT
#include "ControlLayout.h"

ControlLayout::~ControlLayout()
{
    Free();
}

void ControlLayout::Init(int capacity)
{
    Free();
    m_nCount = 0;
    m_nCapacity = capacity;
    m_nLastWidth = -1;
    m_nLastHeight = -1;
    if (capacity > 0) {
        m_phWnd = new LayoutHandle[capacity];
        m_pnFlags = new int[capacity];
        m_pSize = new LayoutSize[capacity];
    }
}

void ControlLayout::Add(const LayoutWindows& windows, LayoutHandle control, int flags)
{
    if (m_nCount >= m_nCapacity || !m_phWnd)
        return;
    const LayoutRect r = windows.WindowRect(control);
    m_phWnd[m_nCount] = control;
    m_pnFlags[m_nCount] = flags;
    m_pSize[m_nCount] = {r.cx, r.cy};
    ++m_nCount;
}

void ControlLayout::Apply(LayoutWindows& windows, LayoutHandle parent, int, int)
{
    const LayoutRect outer = windows.WindowRect(parent);
    if (m_nLastWidth < 0) {
        m_nLastWidth = outer.cx;
        m_nLastHeight = outer.cy;
        return;
    }
    const int dx = outer.cx - m_nLastWidth;
    const int dy = outer.cy - m_nLastHeight;
    m_nLastWidth = outer.cx;
    m_nLastHeight = outer.cy;
    if (!m_phWnd)
        return;
    for (int i = 0; i < m_nCount; ++i) {
        const int flags = m_pnFlags[i];
        LayoutSize& size = m_pSize[i];
        const LayoutRect r = windows.WindowRect(m_phWnd[i]);
        int x = r.x;
        int y = r.y;
        if (flags & LAYOUT_MOVE_Y)
            y += dy;
        else if (flags & LAYOUT_SIZE_Y)
            size.cy += dy;
        if (flags & LAYOUT_MOVE_X)
            x += dx;
        else if (flags & LAYOUT_SIZE_X)
            size.cx += dx;
        windows.Place(m_phWnd[i], x, y, size.cx, size.cy);
    }
}

void ControlLayout::Free()
{
    if (!m_phWnd)
        return;
    delete[] m_phWnd;
    delete[] m_pnFlags;
    delete[] m_pSize;
    m_phWnd = nullptr;
    m_pnFlags = nullptr;
    m_pSize = nullptr;
}
