// SPDX-License-Identifier: MIT
#pragma once

// What driftmote-sim writes on its standard output: the particle states as CSV
// rows or JSON lines, flushed frame by frame.

#include <iosfwd>
#include <string>

class ParticleSystem;
class ProgressDisplay;

inline constexpr const char* kCsvHeader = "frame,index,x,y,vx,vy\n";

// A float as %.9g, which reads back as the same float (-0 included). A velocity
// that is not a number is written as nan, whatever its sign bit. JSON has no word
// for infinities or NaN: there it is written as null.
void AppendFloat(std::string& line, float value, bool json);

// One line per particle of `frame`: frame, index, x, y, vx, vy.
void WriteState(std::ostream& out, long long frame, const ParticleSystem& particles, bool jsonl);

// Flushes what was written since errno was last cleared. Output that cannot be
// written (a full disk) is said through `progress`, with the system's reason, on
// a line of its own.
bool Flushed(std::ostream& out, ProgressDisplay& progress);

// Flushed, for output written while no progress line can be shown.
bool Flushed(std::ostream& out, std::ostream& err);
