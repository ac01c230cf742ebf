// SPDX-License-Identifier: MIT
#include "ScatterGrid.h"

#include "ScatterDraw.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <vector>

namespace {

// Cells are a sixteenth wider than the separation, so that two points whose
// computed distance is below the separation always fall into the same or
// adjacent cells despite the rounding of the cell arithmetic.
constexpr double kCellMargin = 1.0 + 1.0 / 16.0;

// The square of every distance the literal code would find below `limit`: since
// the square root is correctly rounded and never decreases, sqrt(d2) < limit
// holds exactly when d2 < BelowThreshold(limit).
double BelowThreshold(double limit)
{
    double t = limit * limit;
    while (t > 0.0 && std::sqrt(std::nextafter(t, 0.0)) >= limit)
        t = std::nextafter(t, 0.0);
    while (std::sqrt(t) < limit)
        t = std::nextafter(t, HUGE_VAL);
    return t;
}

// A uniform grid over the disc's bounding square. Each cell holds a list of the
// particles placed in it, threaded through `m_nodes`; cell indices are clamped
// to the grid, which keeps neighbours neighbours for points that rounding puts
// just outside the square.
class Grid {
public:
    // Throws std::bad_alloc when not even the coarsest grid (3 by 3 cells) fits.
    Grid(double originX, double originY, double extent, double minSeparation, int count, std::size_t maxCells)
        : m_originX(originX), m_originY(originY), m_tooClose(BelowThreshold(minSeparation))
    {
        double cell = minSeparation * kCellMargin;
        // Far from the origin a tiny cell would drown in the rounding of x - origin.
        cell = std::max(cell, (std::fabs(originX) + std::fabs(originY) + extent) * 1e-9);
        // Few particles need few cells: more cells than about two per particle
        // only cost memory and clearing.
        const int maxSide = std::max(4, static_cast<int>(std::sqrt(2.0 * count)));
        m_side = static_cast<int>(std::min(std::ceil(extent / cell), static_cast<double>(maxSide - 2))) + 2;
        m_side = std::max(m_side, 3);
        m_nodes.resize(static_cast<std::size_t>(count));
        // Without the memory for this many cells, cells twice as wide: they still
        // hold every too-close pair in neighbouring cells, and only the speed suffers.
        for (;;) {
            try {
                const std::size_t cells = static_cast<std::size_t>(m_side) * m_side;
                if (cells > maxCells)
                    throw std::bad_alloc();
                m_head.assign(cells, -1);
                break;
            } catch (const std::bad_alloc&) {
                if (m_side == 3)
                    throw;
                m_side = std::max(3, (m_side - 2) / 2 + 2);
            }
        }
        cell = std::max(cell, extent / (m_side - 2));
        m_scale = 1.0 / cell;
    }

    void Insert(float x, float y, int i)
    {
        const int c = CellY(y) * m_side + CellX(x);
        m_nodes[static_cast<std::size_t>(i)] = {x, y, m_head[static_cast<std::size_t>(c)]};
        m_head[static_cast<std::size_t>(c)] = i;
    }

    // True when some inserted particle lies closer to (x, y) than the separation,
    // by the same formula as the literal scatter: sqrt(ey * ey + ex * ex) < separation.
    bool AnyTooClose(float x, float y) const
    {
        const int cx = CellX(x), cy = CellY(y);
        // The candidate's own cell first: in a crowded disc it decides most often.
        if (CellTooClose(cy * m_side + cx, x, y))
            return true;
        const int x0 = std::max(cx - 1, 0), x1 = std::min(cx + 1, m_side - 1);
        const int y0 = std::max(cy - 1, 0), y1 = std::min(cy + 1, m_side - 1);
        for (int gy = y0; gy <= y1; ++gy) {
            for (int gx = x0; gx <= x1; ++gx) {
                if ((gx != cx || gy != cy) && CellTooClose(gy * m_side + gx, x, y))
                    return true;
            }
        }
        return false;
    }

private:
    struct Node {
        float x;
        float y;
        int next; // the particle placed before it in the same cell, or -1
    };

    bool CellTooClose(int cell, float x, float y) const
    {
        for (int k = m_head[static_cast<std::size_t>(cell)]; k >= 0; k = m_nodes[static_cast<std::size_t>(k)].next) {
            const Node& node = m_nodes[static_cast<std::size_t>(k)];
            const double ey = static_cast<double>(y) - node.y;
            const double ex = static_cast<double>(x) - node.x;
            if (ey * ey + ex * ex < m_tooClose)
                return true;
        }
        return false;
    }

    int CellX(double x) const { return Clamp(std::floor((x - m_originX) * m_scale) + 1.0); }
    int CellY(double y) const { return Clamp(std::floor((y - m_originY) * m_scale) + 1.0); }

    int Clamp(double cell) const
    {
        return static_cast<int>(std::clamp(cell, 0.0, static_cast<double>(m_side - 1)));
    }

    double m_originX;
    double m_originY;
    double m_tooClose; // squared distances below this are too close
    double m_scale = 1.0;
    int m_side = 3;
    std::vector<int> m_head;
    std::vector<Node> m_nodes;
};

// A fine raster over the same square that remembers which of its cells lie
// wholly within the separation of some placed particle, with a safety margin far
// above any rounding. A candidate in such a cell is certainly too close, so in a
// crowded disc most candidates are rejected by one lookup; every other candidate
// still gets the exact test.
class Cover {
public:
    // Needs a finite extent and separation above 0; otherwise, or without the
    // memory for the raster, it covers nothing and every candidate gets the exact test.
    Cover(double originX, double originY, double extent, double minSeparation, std::size_t maxCells)
        : m_originX(originX), m_originY(originY)
    {
        if (!(extent > 0.0 && minSeparation > 0.0 && std::isfinite(extent) && std::isfinite(minSeparation)))
            return;
        const double far = std::fabs(originX) + std::fabs(originY) + extent;
        m_reach = minSeparation * (1.0 - 1e-6) - far * 1e-12;
        const double cell = std::max(minSeparation / 8.0, extent / (kMaxSide - 2));
        // Cells too coarse to fit inside a separation disc would never be marked.
        if (!(cell * 1.5 < m_reach))
            return;
        const double side = std::ceil(extent / cell) + 2.0;
        if (!(side <= kMaxSide) || side * side > static_cast<double>(maxCells))
            return;
        try {
            m_covered.assign(static_cast<std::size_t>(side * side), 0);
        } catch (const std::bad_alloc&) {
            return;
        }
        m_side = static_cast<int>(side);
        m_cell = cell;
        m_scale = 1.0 / cell;
    }

    bool Covered(float x, float y) const
    {
        const double kx = std::floor((x - m_originX) * m_scale);
        const double ky = std::floor((y - m_originY) * m_scale);
        if (!(kx >= 0.0 && kx < m_side && ky >= 0.0 && ky < m_side))
            return false;
        return m_covered[static_cast<std::size_t>(ky) * m_side + static_cast<std::size_t>(kx)] != 0;
    }

    // Marks every cell whose farthest corner is nearer to (x, y) than the reach.
    void Mark(float x, float y)
    {
        if (m_side == 0)
            return;
        const int x0 = Index(x - m_reach - m_originX), x1 = Index(x + m_reach - m_originX);
        const int y0 = Index(y - m_reach - m_originY), y1 = Index(y + m_reach - m_originY);
        for (int ky = y0; ky <= y1; ++ky) {
            const double bottom = m_originY + ky * m_cell - y, top = bottom + m_cell;
            const double fy = std::max(std::fabs(bottom), std::fabs(top));
            for (int kx = x0; kx <= x1; ++kx) {
                const double left = m_originX + kx * m_cell - x, right = left + m_cell;
                const double fx = std::max(std::fabs(left), std::fabs(right));
                if (std::sqrt(fx * fx + fy * fy) < m_reach)
                    m_covered[static_cast<std::size_t>(ky) * m_side + static_cast<std::size_t>(kx)] = 1;
            }
        }
    }

private:
    static constexpr int kMaxSide = 1024;

    int Index(double offset) const
    {
        return static_cast<int>(std::clamp(std::floor(offset * m_scale), 0.0, static_cast<double>(m_side - 1)));
    }

    double m_originX;
    double m_originY;
    double m_reach = 0.0; // points nearer than this to a placed particle are certainly too close
    double m_cell = 0.0;
    double m_scale = 0.0;
    int m_side = 0; // 0 when the raster is not used
    std::vector<unsigned char> m_covered;
};

// Particles placed between two looks at whether to stop: a few milliseconds.
constexpr int kStopCheckEvery = 4096;

} // namespace

bool ScatterWithGrid(Particle* particles, int count, float centerX, float centerY, float radius,
                     float minSeparation, float maxSpeed, const std::function<bool()>& shouldStop,
                     std::size_t maxCells)
{
    if (count <= 0 || !(radius >= 0.0f))
        return true;
    if (!std::isfinite(centerX) || !std::isfinite(centerY) || !std::isfinite(radius) ||
        !std::isfinite(minSeparation))
        return false;

    const double cx = centerX, cy = centerY, rad = radius, minSep = minSeparation, speed = maxSpeed;
    // A separation of 0 or less is never undercut, so no candidate is ever rejected.
    const bool separate = minSep > 0.0;
    // Both structures are built before the first draw, and only when candidates
    // can be too close. Only when not even the coarsest grid fits does the literal
    // scatter run instead, from the same generator state.
    std::optional<Grid> grid;
    std::optional<Cover> cover;
    if (separate) {
        try {
            grid.emplace(cx - rad, cy - rad, 2.0 * rad, minSep, count, maxCells);
        } catch (const std::bad_alloc&) {
            return false;
        }
        cover.emplace(cx - rad, cy - rad, 2.0 * rad, minSep, maxCells);
    }

    for (int i = 0; i < count; ++i) {
        if (i % kStopCheckEvery == 0 && shouldStop && shouldStop())
            return true;
        Particle& p = particles[i];
        for (int tries = 0; tries < kMaxCandidates;) {
            DrawCandidate(p, cx, cy, rad);
            ++tries;
            // A coordinate that overflowed to infinity is never close to anything:
            // its differences are infinite or not a number.
            if (!separate || !std::isfinite(p.x) || !std::isfinite(p.y))
                break;
            if (!cover->Covered(p.x, p.y) && !grid->AnyTooClose(p.x, p.y))
                break;
            // After 1000 candidates that were all too close, the last one stays.
        }
        if (separate && std::isfinite(p.x) && std::isfinite(p.y)) {
            grid->Insert(p.x, p.y, i);
            cover->Mark(p.x, p.y);
        }
        DrawVelocity(p, speed);
    }
    return true;
}
