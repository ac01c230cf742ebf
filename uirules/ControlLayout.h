// SPDX-License-Identifier: MIT
#pragma once

// Anchors for the controls of a resizable dialog: on every size change each
// registered control moves and/or stretches by how much the parent's size changed
// since the previous call. Sizes are remembered, not read back, so growing and
// shrinking by the same amount restores every control exactly, and a remembered
// size may go below zero (the control then shows as empty) without being lost.
//
// The layout knows windows only through opaque handles and a LayoutWindows
// object that measures and places them; it does no drawing and owns no window.

using LayoutHandle = void*;

enum LayoutFlags {
    LAYOUT_MOVE_Y = 1, // the top edge follows the change in parent height
    LAYOUT_MOVE_X = 2, // the left edge follows the change in parent width
    LAYOUT_SIZE_X = 4, // the width follows it, unless LAYOUT_MOVE_X is also set
    LAYOUT_SIZE_Y = 8, // the height follows it, unless LAYOUT_MOVE_Y is also set
};

struct LayoutRect {
    int x, y;   // a control: top-left in its parent's client coordinates
    int cx, cy; // outer size
};

struct LayoutSize {
    int cx, cy;
};

// What the layout needs from the window system.
class LayoutWindows {
public:
    virtual LayoutRect WindowRect(LayoutHandle window) const = 0;
    virtual void Place(LayoutHandle control, int x, int y, int cx, int cy) = 0;

protected:
    ~LayoutWindows() = default;
};

class ControlLayout {
public:
    LayoutHandle* m_phWnd = nullptr; // owned, one per slot; set means all three arrays are held
    int* m_pnFlags = nullptr;        // owned, anchor flags per slot
    LayoutSize* m_pSize = nullptr;   // owned, remembered size per slot, in pixels
    int m_nCount = 0;                // slots in use
    int m_nCapacity = 0;             // slots allocated
    int m_nLastWidth = -1;           // parent size at the last Apply; -1 before the first
    int m_nLastHeight = -1;

    ControlLayout() = default;
    ~ControlLayout();
    ControlLayout(const ControlLayout&) = delete;
    ControlLayout& operator=(const ControlLayout&) = delete;

    // Prepares an empty layout with room for `capacity` controls.
    void Init(int capacity);

    // Registers a control with its current outer size; ignored once the layout is full.
    void Add(const LayoutWindows& windows, LayoutHandle control, int flags);

    // Lays every control out for the parent's current size. The first call only
    // records that size. The client width and height are not used.
    void Apply(LayoutWindows& windows, LayoutHandle parent, int clientWidth, int clientHeight);

    // Releases the arrays; the count stays as it was.
    void Free();
};
