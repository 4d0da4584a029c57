// Recording files from anywhere: the reader refuses them or gives a run that writes back to the
// same bytes and whose poses are all finite at any moment.
#include "game/core/recording.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    SRecording run;
    std::string error;
    if (!decodeRecording(bytes, run, error)) {
        if (error.empty())
            __builtin_trap();
        return 0;
    }
    SRecording again;
    if (!decodeRecording(encodeRecording(run), again, error) || again.time != run.time)
        __builtin_trap();
    SRunSample pose;
    for (double t : {-1.0, 0.0, run.time * 0.37, run.time, run.time + 1.0}) {
        if (!poseAt(run, t, pose) || !std::isfinite(pose.position.x) ||
            !std::isfinite(pose.position.y) || !std::isfinite(pose.position.z) ||
            !std::isfinite(pose.orientation.Norm()))
            __builtin_trap();
    }
    return 0;
}
