// SPDX-License-Identifier: MIT
#pragma once

// The canvas's back buffer: a 32-bit top-down DIB section selected into a memory
// device context. Its pixels are 0xAARRGGBB words in machine order, as the
// renderer writes them, and the whole buffer goes to the screen in one BitBlt.

#include <windows.h>

#include <cstdint>

class BackBuffer {
public:
    BackBuffer() = default;
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // Frees the old buffer, then makes one of width by height pixels for drawing
    // on `screen`'s device. False (and no buffer) when the system cannot make it.
    bool Rebuild(HDC screen, int width, int height);
    void Free();

    bool Built() const { return m_pBits != nullptr; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    std::uint32_t* Pixels() const { return static_cast<std::uint32_t*>(m_pBits); }
    HBITMAP Bitmap() const { return m_hBitmap; }

    // The whole buffer onto `target` at (0, 0).
    void CopyTo(HDC target) const;

private:
    HDC m_hMemDC = nullptr;       // owned; holds m_hBitmap while built
    HBITMAP m_hBitmap = nullptr;  // owned DIB section
    HGDIOBJ m_hOldBitmap = nullptr; // the memory DC's own bitmap, put back before it is deleted
    void* m_pBits = nullptr;      // the DIB section's pixels, rows from the top
    int m_nWidth = 0;
    int m_nHeight = 0;
};
