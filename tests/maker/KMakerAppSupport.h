// The Maker program on the headless window, run from a disc made in the test's prefix:
// input goes in as platform messages through the window's own routing, screens come out
// as PNG files.
#pragma once

#include "framework/NPage.h"
#include "imaging/NSpUniverse.h"
#include "maker/KApp.h"
#include "maker/KMakerData.h"
#include "maker/KScreens.h"
#include "platform/NHostHeadlessDisplay.h"
#include "platform/NHostHeadlessWindow.h"
#include "tests/maker/core/KMakerTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace makerapp {

namespace fs = std::filesystem;
using makertest::DirOf;
using makertest::FileOf;

/// The disc image's archive (with the setup in it) and web pages, as the build made them.
inline fs::path BuiltDisc()
{
    return fs::path(LUMORA_DISC);
}

/// One node of the screen as the UI dump would list it.
struct UiNode {
    NUiDescription fDescription;
    NRect fRect;
    const NSpObject* fNode = nullptr;
};

inline void CollectUi(const NEventTarget& target, std::vector<UiNode>& out)
{
    auto* node = dynamic_cast<const NSpObject*>(&target);
    if (node && !node->IsVisible())
        return;
    if (node) {
        UiNode entry;
        if (node->DescribeUi(entry.fDescription)) {
            entry.fRect = node->DrawnRect().fWidth > 0 ? node->DrawnRect() : node->Rect();
            entry.fNode = node;
            out.push_back(entry);
        }
    }
    for (const NEventTarget* child : target.Children())
        CollectUi(*child, out);
}

/// Waits (without running the program) until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int milliseconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

/// Puts a stand-in for the desktop's opener first on PATH for the object's life: it appends
/// every target it is given to a log instead of starting a file manager or a browser.
class FakeOpener {
public:
    explicit FakeOpener(const NTestPrefix& prefix)
    {
        fs::path bin = prefix.MakeFolder("fake-bin");
        fLog = prefix.Root() / "opened.log";
        NTestPrefix::WriteFile(bin / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + fLog.string() + "'\n");
        fs::permissions(bin / "xdg-open", fs::perms::owner_all, fs::perm_options::add);
        const char* path = std::getenv("PATH");
        fOldPath = path ? path : "";
        setenv("PATH", (bin.string() + ":" + fOldPath).c_str(), 1);
    }
    ~FakeOpener() { setenv("PATH", fOldPath.c_str(), 1); }

    /// The targets opened so far, one a line.
    std::string Opened() const { return fs::exists(fLog) ? NTestPrefix::ReadFile(fLog) : std::string(); }

private:
    fs::path fLog;
    std::string fOldPath;
};

class MakerRun {
public:
    /// A disc folder at <root>/disc holding Data/Qip.xpb and Data/web of the build.
    explicit MakerRun(const NTestPrefix& prefix, const std::string& discName = "disc") : fPrefix(prefix)
    {
        fDisc = prefix.MakeFolder(discName);
        fs::create_directories(fDisc / "Data");
        fs::copy_file(BuiltDisc() / "Data" / "Qip.xpb", fDisc / "Data" / "Qip.xpb");
        fs::copy(BuiltDisc() / "Data" / "web", fDisc / "Data" / "web", fs::copy_options::recursive);
    }

    ~MakerRun() { Stop(); }

    /// Starts the program on a screen of the size; false when start-up failed.
    bool Start(int32_t width = 1024, int32_t height = 768)
    {
        fApp = std::make_unique<KApp>();
        auto display = std::make_unique<NHostHeadlessDisplay>(width, height, 32);
        fDisplay = display.get();
        fApp->SetDisplay(std::move(display));
        fApp->SetAppFolder(DirOf(fDisc));
        if (!fApp->Main())
            return false;
        Pump(100);
        return Data() != nullptr;
    }

    void Stop()
    {
        if (!fApp)
            return;
        fApp->Shutdown();
        fApp->CloseDisplay();
        fApp.reset();
        fDisplay = nullptr;
    }

    KApp& App() { return *fApp; }
    NHostHeadlessDisplay& Display() { return *fDisplay; }
    KMakerData* Data() const
    {
        return fApp && fApp->CurrentPage() ? dynamic_cast<KMakerData*>(fApp->CurrentPage()->Data()) : nullptr;
    }
    int32_t State() const { return Data() ? Data()->State() : -1; }
    std::string ScreenName() const
    {
        return Data() && Data()->CurrentScreen() ? Data()->CurrentScreen()->ScreenName() : "";
    }

    /// Message handling and idle passes for about the time given.
    void Pump(int milliseconds)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            fApp->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } while (std::chrono::steady_clock::now() < end && !fApp->QuitFlag());
    }

    /// Pumps until the condition holds or the time is up; answers the condition.
    bool PumpUntil(const std::function<bool()>& done, int milliseconds)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (!done() && std::chrono::steady_clock::now() < end) {
            fApp->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    }

    std::vector<UiNode> Nodes() const
    {
        std::vector<UiNode> nodes;
        CollectUi(fApp->Universe(), nodes);
        return nodes;
    }

    /// The shown node of that UI name; null when there is none.
    const UiNode* Find(const std::string& name)
    {
        fNodes = Nodes();
        for (const UiNode& node : fNodes) {
            if (node.fDescription.name == name)
                return &node;
        }
        return nullptr;
    }

    /// A left click at the middle of the named node, as the window would report it.
    bool Click(const std::string& name, int settle = 60)
    {
        const UiNode* node = Find(name);
        if (!node)
            return false;
        ClickAt(node->fRect.fX + node->fRect.fWidth / 2, node->fRect.fY + node->fRect.fHeight / 2, settle);
        return true;
    }

    void ClickAt(int32_t x, int32_t y, int settle = 60)
    {
        for (NHostMessageType type : {NHostMessageType::kMouseMove, NHostMessageType::kButtonDown,
                                      NHostMessageType::kButtonUp}) {
            NHostMessage message;
            message.fType = type;
            message.fX = x;
            message.fY = y;
            fDisplay->Push(message);
            Pump(15);
        }
        Pump(settle);
    }

    /// Characters typed on the keyboard.
    void Type(const std::string& text)
    {
        for (char c : text) {
            NHostMessage message;
            message.fType = NHostMessageType::kChar;
            message.fChar = uint8_t(c);
            fDisplay->Push(message);
            Pump(10);
        }
        Pump(40);
    }

    /// Files and folders dropped on the middle of the window.
    void Drop(const std::vector<fs::path>& paths)
    {
        NHostMessage message;
        message.fType = NHostMessageType::kDropFiles;
        message.fPointKnown = true;
        message.fX = 320;
        message.fY = 240;
        for (const fs::path& path : paths)
            message.fPaths.push_back(Host(path));
        fDisplay->Push(message);
        Pump(80);
    }

    /// The window's picture as a PNG in the screens folder of the build.
    std::string Shot(const std::string& name)
    {
        fApp->Universe().RenderChanges();
        fs::path folder = fs::path(LUMORA_MAKER_SCREENS);
        fs::create_directories(folder);
        std::string path = (folder / (name + ".png")).string();
        std::string error;
        EXPECT_TRUE(fDisplay->HeadlessMain()->SavePng(path, error)) << error;
        return path;
    }

    const NTestPrefix& fPrefix;
    fs::path fDisc;
    std::unique_ptr<KApp> fApp;
    NHostHeadlessDisplay* fDisplay = nullptr;
    std::vector<UiNode> fNodes;
};

} // namespace makerapp
