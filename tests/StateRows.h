#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ParticleSystem;

// One printed particle state: a row of frame,index,x,y,vx,vy.
struct StateRow {
    long long frame;
    int index;
    float values[4]; // x, y, vx, vy
};

// The rows of a CSV state table (header first). Each float is read back exactly.
std::vector<StateRow> ParseStateCsv(const std::string& text);

// A golden trajectory from the shared folder, by file name.
std::vector<StateRow> ReadGolden(const std::string& name);

// The current particles of `particles` as rows of `frame`.
std::vector<StateRow> RowsOf(const ParticleSystem& particles, long long frame);

// Same frames, indexes and float bit patterns (-0 differs from 0).
testing::AssertionResult SameBits(const std::vector<StateRow>& actual, const std::vector<StateRow>& expected);
