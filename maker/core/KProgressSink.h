// What the progress screen offers to long work: steps, a finish and the picture being worked on.
#pragma once

#include <cstdint>

class NFileSpec;

/// The progress screen implements it; tests implement a recording one. Step() is also where
/// the screen lets the platform do its housekeeping (expose, ping), so the window never
/// looks hung while an album is made or the player installed.
class KProgressSink {
public:
    virtual ~KProgressSink() = default;

    virtual void SetSteps(int32_t steps) = 0;
    virtual void Step() = 0;
    virtual void Finish() = 0;
    /// The photo being processed, as a JPEG file.
    virtual void ShowPicture(const NFileSpec& jpeg) = 0;
};
