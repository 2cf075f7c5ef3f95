// Tests of the UI dump: which nodes are listed, how, and how the file is written.
#include "framework/NUiDump.h"

#include "framework/NInputState.h"
#include "imaging/NSpGroup.h"
#include "imaging/NSpText.h"
#include "imaging/NSprite.h"
#include "tests/framework/NAppTestSupport.h"

#include <gtest/gtest.h>

namespace {

using NUiDumpTest = NAppFixture;

class Clickable : public NSprite {
public:
    Clickable() { SetTakesInput(true); }
    bool MouseDown(const NInputEvent&) override { return true; }
};

TEST_F(NUiDumpTest, ListsVisibleInputNodesAndEveryTextWithContentRectangles)
{
    fEnv.Set("LUMORA_UI_DUMP", (fPrefix.Root() / "ui-%n.json").string());
    TestSpriteApp app;
    NHostHeadlessDisplay& display = app.UseHeadless(1280, 960);
    ASSERT_TRUE(app.Initialize());
    EXPECT_EQ(display.Scale(), 2);
    display.MoveMain(10, 20);

    NSpGroup panel;
    panel.SetRect(NRect(100, 50, 300, 200));
    app.Universe().AddChild(panel, 5);
    Clickable shown;
    shown.MakeMemory(NRect(10, 10, 40, 30), 32, nullptr);
    panel.AddChild(shown, 1);
    Clickable hidden;
    hidden.MakeMemory(NRect(60, 10, 40, 30), 32, nullptr);
    hidden.SetVisible(false);
    panel.AddChild(hidden, 1);
    NSprite decoration;
    decoration.MakeMemory(NRect(0, 0, 5, 5), 32, nullptr);
    app.Universe().AddChild(decoration, 9);
    NSpText label;
    app.Universe().AddChild(label, 1);
    label.SetText("Caf\xE9 \x80", 245, 0, 0, true);
    label.SetVisible(false);
    NInputState::The().TakeFocus(shown, false);
    panel.SetEnabled(false);
    shown.MarkChanged();
    app.ProcessMessages();

    std::string base = app.GetAppFileSpec().BaseName();
    ASSERT_FALSE(base.empty());
    std::filesystem::path path = fPrefix.Root() / ("ui-" + base + ".json");
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));
    std::string json = NTestPrefix::ReadFile(path);
    EXPECT_NE(json.find("{\"app\": \"Lumora Test App\", \"page\": -1, \"frame\": 1,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"window\": {\"x\": 20, \"y\": 40, \"w\": 1280, \"h\": 960}, \"scale\": 2"),
              std::string::npos)
        << json;
    // The clickable sprite, at its place in content pixels, disabled through its group.
    EXPECT_NE(json.find("{\"kind\": \"sprite\", \"name\": \"Clickable\", \"text\": \"\", \"event\": 0, \"x\": 110, "
                        "\"y\": 60, \"w\": 40, \"h\": 30, \"visible\": true, \"enabled\": false, \"selected\": false, "
                        "\"focused\": true}"),
              std::string::npos)
        << json;
    // The hidden text is listed, in UTF-8; the hidden sprite and the decoration are not.
    EXPECT_NE(json.find("\"kind\": \"text\", \"name\": \"NSpText\", \"text\": \"Caf\xC3\xA9 \xE2\x82\xAC\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"visible\": false"), std::string::npos);
    EXPECT_EQ(json.find("\"x\": 160"), std::string::npos) << json;
    EXPECT_EQ(json.find("NSprite\""), std::string::npos) << json;

    // Nothing changed on screen: nothing is rewritten. A change gives the next frame.
    std::filesystem::remove(path);
    app.ProcessMessages();
    EXPECT_FALSE(std::filesystem::exists(path));
    shown.MoveBy(1, 0);
    app.ProcessMessages();
    EXPECT_NE(NTestPrefix::ReadFile(path).find("\"frame\": 2"), std::string::npos);
}

TEST_F(NUiDumpTest, NothingIsWrittenWithoutTheVariableAndStringsAreEscaped)
{
    NUiDump dump;
    dump.Configure("demo");
    EXPECT_FALSE(dump.Enabled());
    NSpGroup root;
    NSpText text;
    root.AddChild(text, 0);
    text.SetText("a\"b\\c\x01", 245, 0, 0, true);
    NUiDump::Frame frame;
    frame.fApp = "x";
    EXPECT_TRUE(dump.Update(frame, root));
    std::string json = NUiDump::Json(frame, root);
    EXPECT_NE(json.find("\"text\": \"a\\\"b\\\\c\\u0001\""), std::string::npos) << json;

    fEnv.Set("LUMORA_UI_DUMP", (fPrefix.Root() / "%n-%n.json").string());
    dump.Configure("demo");
    EXPECT_EQ(dump.Path(), (fPrefix.Root() / "demo-demo.json").string());
}

} // namespace
