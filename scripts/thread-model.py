#!/usr/bin/env python3
"""The fast step's schedule on T threads, from its tiles' order alone.

Stripes of 64 rows are taken in turn by whichever thread is free; a stripe
sweeps its tiles in chunks of columns in order, from the chunk that holds its
rows (128 columns wide on up to two threads or with 16 stripes per thread, 64
otherwise, as the step takes them), and tile (r, c) starts once tile (r - 1, c)
is done. A tile costs its pairs (the last stripe and chunk take the rest of the
particles; on two threads the first stripe has 48 rows and the second 80). A
thread that waits for tile (r - 1, c) computes the terms of tile
(r, c) meanwhile, up to the whole tile, and a pair whose terms are there costs
ADDS of a pair in the sweep (BM_TileTermsAhead: 0.26). Prints the speed-up
over one thread that the order allows, for a few counts and thread counts, with
the terms ahead and with the thread only waiting: what the dependencies cost,
with every thread on a core of its own and the hand-overs free.

Usage: scripts/thread-model.py [COUNT ...]
"""
import heapq
import sys

ROWS = 64
FIRST_STRIPE = 48  # the first stripe's rows on two threads


def pairs(i0, i1, j0, j1):
    """Pairs i < j with rows i0 .. i1 - 1 and columns j0 .. j1 - 1."""
    return sum(max(0, j1 - max(j0, i + 1)) for i in range(i0, i1))


ADDS = 0.26


def step_time(count, threads, per=None, ahead=True):
    stripes = max(1, count // ROWS)
    if per is None:
        per = 2 if threads <= 2 or stripes >= 16 * threads else 1
    chunks = (stripes - 1) // per + 1
    second = FIRST_STRIPE if threads == 2 and per == 2 else ROWS  # the first row of stripe 1

    def first_row(r):
        return second if r == 1 else r * ROWS

    done = [[0.0] * chunks for _ in range(stripes)]  # finish time of tile (r, c)
    free = [0.0] * threads  # when each thread is free
    heapq.heapify(free)
    end = 0.0
    for r in range(stripes):
        t = heapq.heappop(free)
        rows = (first_row(r), count if r + 1 == stripes else first_row(r + 1))
        for c in range(r // per, chunks):
            cost = pairs(*rows, c * per * ROWS, count if c + 1 == chunks else (c + 1) * per * ROWS)
            ready = done[r - 1][c] if r > 0 else 0.0
            early = min(max(0.0, ready - t), cost) if ahead else 0.0  # pairs whose terms are there
            t = max(t, ready) + cost - early + ADDS * early
            done[r][c] = t
        end = max(end, t)
        heapq.heappush(free, t)
    return end


def main():
    counts = [int(a) for a in sys.argv[1:]] or [1000, 2000, 5000, 10000]
    thread_counts = [2, 4, 8, 16]
    for ahead in (True, False):
        print("with the terms ahead" if ahead else "waiting only")
        print("count  " + "  ".join(f"{t:>5} threads" for t in thread_counts))
        for n in counts:
            one = step_time(n, 1, per=1)
            print(f"{n:>5}  " + "  ".join(f"{one / step_time(n, t, ahead=ahead):>13.2f}" for t in thread_counts))


if __name__ == "__main__":
    main()
