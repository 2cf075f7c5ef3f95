// A sprite application on the headless window service, with its own prefix and runtime folder.
#pragma once

#include "framework/NSpriteApp.h"
#include "platform/NHostHeadlessDisplay.h"
#include "tests/support/NTestEnvironment.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <functional>

#include <memory>
#include <string>
#include <vector>

/// Records what the window procedure hands to the application.
class TestSpriteApp : public NSpriteApp {
public:
    ~TestSpriteApp() override = default;

    void Start() override {}
    std::string GetAppName() const override { return fName; }
    bool CanQuit() override
    {
        ++fQuitAsked;
        return fAllowQuit;
    }
    NRect GetWindowContentRect() const override { return GetContentRect(); }
    void MouseDown(const NInputEvent& event) override
    {
        fDowns.push_back(event);
        NSpriteApp::MouseDown(event);
    }
    void MouseUp(const NInputEvent& event) override
    {
        fUps.push_back(event);
        NSpriteApp::MouseUp(event);
    }
    void KeyDown(const NInputEvent& event) override
    {
        fKeys.push_back(event);
        NSpriteApp::KeyDown(event);
    }
    void Char(const NInputEvent& event) override
    {
        fChars.push_back(event);
        NSpriteApp::Char(event);
    }
    void DataReceived(const void* data, int32_t size, uint32_t tag) override
    {
        fReceived.emplace_back(static_cast<const char*>(data), size_t(size));
        fTags.push_back(tag);
    }
    NPage* CreatePage(int32_t id) override { return fFactory ? fFactory(id) : nullptr; }

    /// A headless display of the given screen; returns it for scripting.
    NHostHeadlessDisplay& UseHeadless(int32_t width = 1024, int32_t height = 768, int32_t depth = 32)
    {
        auto display = std::make_unique<NHostHeadlessDisplay>(width, height, depth);
        NHostHeadlessDisplay& result = *display;
        SetDisplay(std::move(display));
        return result;
    }

    using NSpriteApp::IdleWaitLimit;
    /// The backdrop is asked for before the windows are made, as a program's constructor does.
    void SetBackdropMode(bool on) { fBackdropMode = on; }

    std::string fName = "Lumora Test App";
    bool fAllowQuit = true;
    int fQuitAsked = 0;
    std::vector<NInputEvent> fDowns;
    std::vector<NInputEvent> fUps;
    std::vector<NInputEvent> fKeys;
    std::vector<NInputEvent> fChars;
    std::vector<std::string> fReceived;
    std::vector<uint32_t> fTags;
    std::function<NPage*(int32_t)> fFactory;
};

/// Every application test gets a prefix, a private runtime folder (so the single-instance
/// rule of one test never meets another's) and message boxes on standard error.
class NAppFixture : public ::testing::Test {
protected:
    NAppFixture()
    {
        std::filesystem::path run = fPrefix.MakeFolder("run");
        std::filesystem::permissions(run, std::filesystem::perms::owner_all);
        fEnv.Set("XDG_RUNTIME_DIR", run.string());
        fEnv.Set("LUMORA_DIALOG_ANSWER", "cancel");
        fEnv.Unset("LUMORA_DISPLAY_DEPTH");
        fEnv.Unset("LUMORA_SCREEN_SIZE");
        fEnv.Unset("LUMORA_SCALE");
        fEnv.Unset("LUMORA_UI_DUMP");
        NWinApp::ReleaseButtons();
    }

    NHostMessage Message(NHostMessageType type, int32_t x = 0, int32_t y = 0)
    {
        NHostMessage message;
        message.fType = type;
        message.fX = x;
        message.fY = y;
        return message;
    }

    NTestPrefix fPrefix;
    NTestEnvironment fEnv;
};
