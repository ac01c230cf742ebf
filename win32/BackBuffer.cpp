// SPDX-License-Identifier: MIT
#include "BackBuffer.h"

BackBuffer::~BackBuffer()
{
    Free();
}

void BackBuffer::Free()
{
    if (m_hMemDC) {
        if (m_hOldBitmap)
            SelectObject(m_hMemDC, m_hOldBitmap);
        DeleteDC(m_hMemDC);
    }
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    m_hMemDC = nullptr;
    m_hBitmap = nullptr;
    m_hOldBitmap = nullptr;
    m_pBits = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
}

bool BackBuffer::Rebuild(HDC screen, int width, int height)
{
    Free();
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows from the top, as the renderer writes them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_hMemDC = CreateCompatibleDC(screen);
    m_hBitmap = m_hMemDC ? CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!m_hBitmap || !bits) {
        Free();
        return false;
    }
    m_hOldBitmap = SelectObject(m_hMemDC, m_hBitmap);
    m_pBits = bits;
    m_nWidth = width;
    m_nHeight = height;
    return true;
}

void BackBuffer::CopyTo(HDC target) const
{
    if (!Built())
        return;
    // The renderer wrote the pixels behind GDI's back.
    GdiFlush();
    BitBlt(target, 0, 0, m_nWidth, m_nHeight, m_hMemDC, 0, 0, SRCCOPY);
}
