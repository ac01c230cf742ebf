// SPDX-License-Identifier: MIT
#include "SwarmParams.h"

#include "DecimalText.h"
#include "ParticleSystem.h"

#include <climits>
#include <string>

namespace {

std::string EditBuffer(std::string_view text)
{
    return std::string(text.substr(0, kEditTextLimit));
}

} // namespace

int CountFromText(std::string_view text)
{
    const std::string buffer = EditBuffer(text);
    std::size_t i = 0;
    while (i < buffer.size() && IsTextSpace(buffer[i]))
        ++i;
    bool negative = false;
    if (i < buffer.size() && (buffer[i] == '+' || buffer[i] == '-')) {
        negative = buffer[i] == '-';
        ++i;
    }
    long long value = 0; // 30 characters cannot overflow this before saturating below
    for (; i < buffer.size() && buffer[i] >= '0' && buffer[i] <= '9'; ++i) {
        value = value * 10 + (buffer[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

float CoefficientFromText(std::string_view text)
{
    // Two roundings, to double and then to float; rounding the text straight to
    // float would differ where the double lands on a tie between two floats.
    // Beyond the float range the stored value becomes infinite.
    return static_cast<float>(DecimalFromText(EditBuffer(text)));
}

int WrapPreset(int preset)
{
    if (preset < 0)
        preset = kPresetCount - 1;
    if (preset > kPresetCount - 1)
        preset = 0;
    return preset;
}

const PresetTexts& PresetRow(int preset)
{
    return (preset >= 1 && preset < kPresetCount) ? kPresets[preset] : kPresets[0];
}

bool ScatterNewCount(ParticleSystem& particles)
{
    return particles.Scatter(5.0f, 5.0f, 5.0f, 0.3f, 0.0f);
}

bool TypeRow(const PresetTexts& row, const TypeText& type)
{
    return type(ParamBox::Num, row.num) && type(ParamBox::Attraction, row.attraction) &&
           type(ParamBox::Repulsion, row.repulsion) && type(ParamBox::Friction, row.friction);
}

void ApplyCoefficient(ParticleSystem& particles, ParamBox box, std::string_view text)
{
    switch (box) {
    case ParamBox::Num:
        break;
    case ParamBox::Attraction:
        particles.m_fAttraction = CoefficientFromText(text);
        break;
    case ParamBox::Repulsion:
        particles.m_fRepulsion = CoefficientFromText(text);
        break;
    case ParamBox::Friction:
        particles.m_fFriction = CoefficientFromText(text);
        break;
    }
}
