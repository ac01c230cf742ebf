// SPDX-License-Identifier: MIT
#include "WindowTexts.h"

#include "DialogTemplate.h"
#include "Resource.h"

#include <iterator>

const AccessibleText kAccessibleTexts[] = {
    {IDC_CANVAS, "Particles", nullptr, 0},
    {IDC_NUM, "Num", "Number of particles", 0},
    {IDC_NUM_LABEL, "Num", nullptr, IDC_NUM},
    {IDC_PLAY_NICE, "Play Nice", "When on, each frame leaves the processor to other programs for a moment", 0},
    {IDC_ATTRACTION, "Attraction (Far)", "Strength of the attraction at a distance", 0},
    {IDC_ATTRACTION_LABEL, "Attraction (Far)", nullptr, IDC_ATTRACTION},
    {IDC_REPULSION, "Repulsion (Near)", "Strength of the repulsion up close", 0},
    {IDC_REPULSION_LABEL, "Repulsion (Near)", nullptr, IDC_REPULSION},
    {IDC_FRICTION, "Friction", "The fraction of its speed that a particle loses at each frame", 0},
    {IDC_FRICTION_LABEL, "Friction", nullptr, IDC_FRICTION},
    {IDC_CREDIT, "About Driftmote (Quenly Vostrake 200308)", "Opens the About box", 0},
    {IDC_PRESET_PREV, "Previous preset", "Types the previous Fun Preset into the boxes", 0},
    {IDC_PRESET_NEXT, "Next preset", "Types the next Fun Preset into the boxes", 0},
    {IDC_PRESETS_LABEL, "Fun Presets", nullptr, 0},
};
const int kAccessibleTextCount = static_cast<int>(std::size(kAccessibleTexts));

std::string NoMemoryText(int count)
{
    return "There is not enough memory for " + std::to_string(count) + " particles.";
}

std::string RunStateTitle(bool paused, bool recording)
{
    std::string title = kSwarmDialog.caption;
    if (paused && recording)
        title += " (paused, recording)";
    else if (paused)
        title += " (paused)";
    else if (recording)
        title += " (recording)";
    return title;
}

std::string CanvasDescription(int particles, bool paused)
{
    return std::to_string(particles) + (particles == 1 ? " particle, " : " particles, ") +
           (paused ? "paused" : "running");
}

std::string MessageNamingFile(const std::string& path, std::string message)
{
    const std::string prefix = path + ": ";
    if (message.rfind(prefix, 0) == 0)
        message.erase(0, prefix.size());
    return path + ": " + message;
}

bool IsSnapshotName(std::string_view name)
{
    const std::string_view suffix = kSnapshotSuffix;
    if (name.size() <= suffix.size() || name[name.size() - suffix.size() - 1] != '.')
        return false;
    const std::string_view end = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const char c = end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] - 'A' + 'a') : end[i];
        if (c != suffix[i])
            return false;
    }
    return true;
}
