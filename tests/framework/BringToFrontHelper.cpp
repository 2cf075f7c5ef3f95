// Helper of the window layer's tests: a program whose window refuses to be raised, so that
// bringing it to the front falls back to starting its own program file again. Each run
// appends a line to the file named by LUMORA_FRONT_MARKS; the second run does nothing else.
#include "framework/NSpriteApp.h"
#include "platform/NHostHeadlessDisplay.h"

#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

class FrontApp : public NSpriteApp {
public:
    ~FrontApp() override = default;
    void Start() override {}
    std::string GetAppName() const override { return "Lumora Front Helper"; }
};

FrontApp sApp;

} // namespace

int main()
{
    const char* marks = std::getenv("LUMORA_FRONT_MARKS");
    if (!marks)
        return 2;
    if (std::ifstream(marks).good()) {
        std::ofstream(marks, std::ios::app) << "started again\n";
        return 0;
    }
    auto display = std::make_unique<NHostHeadlessDisplay>();
    NHostHeadlessDisplay& headless = *display;
    headless.SetRefuseRaise(true);
    sApp.SetDisplay(std::move(display));
    if (!sApp.Initialize())
        return 1;
    std::ofstream(marks) << "raise refused\n";
    sApp.BringToFront();
    return 0;
}
