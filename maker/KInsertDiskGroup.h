// The insert-disk screen and its error form when OK finds no photo disc.
#pragma once

#include "maker/KSpGroup.h"

class KInsertDiskGroup : public KSpGroup {
public:
    const char* ScreenName() const override { return fError ? "insert-disk-error" : "insert-disk"; }
    /// Turns the screen into its error form (once).
    void ShowError();
    bool ShowsError() const { return fError; }

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override;

private:
    void BuildParts();
    bool fError = false;
};
