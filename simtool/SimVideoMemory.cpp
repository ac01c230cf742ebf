// SPDX-License-Identifier: MIT
#include "SimVideoMemory.h"

#ifdef DRIFTMOTE_SIM_VIDEO
#include "MachineMemory.h"
#include "SwarmRenderer.h"
#include "VideoMemory.h"

std::string SimVideoMemoryProblem(int width, int height, double scale, const std::string& path)
{
    const DeviceExtent size = DeviceSize(CanvasView{width, height, scale});
    // The tool draws each frame into one picture of its own beside the encoder's.
    const std::string problem =
        VideoMemoryProblem(VideoFormatOfName(path), size.width, size.height, 1, PhysicalMemoryBytes());
    return problem.empty() ? problem : "--video: " + problem + " (--size and --scale make it smaller)";
}
#else
std::string SimVideoMemoryProblem(int, int, double, const std::string&)
{
    return {};
}
#endif
