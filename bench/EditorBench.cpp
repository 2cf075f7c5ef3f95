// The editor: re-wrapping a 100 KB multi-line text after one typed character near its end,
// beside a full wrap of the same text; and a keystroke up to the presented frame in a
// 2,000-line field on the headless back end.
#include "framework/NInputEvent.h"
#include "framework/NInputState.h"
#include "imaging/NCanvas.h"
#include "imaging/NFont.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpUniverse.h"
#include "platform/NHostHeadlessWindow.h"
#include "widgets/NEditor.h"
#include "widgets/NTextDocument.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

namespace {

constexpr size_t kTextBytes = 100 * 1024;
constexpr int32_t kWrapWidth = 400;
constexpr NRect kScreen { 0, 0, 640, 480 };

NFont FieldFont()
{
    NFont font;
    font.FontFromText("Arial,12");
    return font;
}

/// The advances the editor measures for its font.
NCharWidths MeasureWidths()
{
    NCanvas canvas;
    canvas.SetFont(FieldFont());
    NCharWidths widths {};
    for (int c = 32; c < 256; ++c)
        widths[size_t(c)] = canvas.MeasureText(std::string(1, char(c)), NRect(), kAlignLeftTop, false, false).fWidth;
    widths['\t'] = widths[' '];
    return widths;
}

/// Paragraphs of words with line breaks between them, about bytes long.
std::string Paragraphs(size_t bytes)
{
    std::mt19937 random(7);
    static const char* const kWords[] = { "photo", "album", "the", "of", "a", "slideshow", "portrait", "studio",
                                          "newborn", "theme", "music", "and", "with", "your", "memories" };
    std::string text;
    while (text.size() < bytes) {
        int words = 5 + int(random() % 60);
        for (int i = 0; i < words; ++i) {
            text += kWords[random() % 15];
            text += ' ';
        }
        text.back() = '\n';
    }
    text.resize(bytes);
    return text;
}

void FullWrap(benchmark::State& state)
{
    NTextDocument document;
    document.SetLayout(true, kWrapWidth, MeasureWidths());
    document.Replace(0, 0, Paragraphs(kTextBytes));
    for (auto _ : state) {
        document.RewrapAll();
        benchmark::DoNotOptimize(document.LineCount());
    }
    state.counters["lines"] = document.LineCount();
}

/// One character typed 200 bytes before the end, and removed again (two edits an iteration).
void TypeNearEnd(benchmark::State& state)
{
    NTextDocument document;
    document.SetLayout(true, kWrapWidth, MeasureWidths());
    document.Replace(0, 0, Paragraphs(kTextBytes));
    const int32_t at = document.Length() - 200;
    int64_t rewrapped = 0;
    for (auto _ : state) {
        document.Replace(at, at, "x");
        rewrapped += document.LastRewrapped();
        document.Replace(at, at + 1, "");
        rewrapped += document.LastRewrapped();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2);
    state.counters["lines"] = document.LineCount();
    state.counters["rewrapped_per_edit"] = double(rewrapped) / double(2 * state.iterations());
}

/// A character typed into a 2,000-line field and the changed area rendered and presented.
void KeystrokeToFrame(benchmark::State& state)
{
    auto palette = std::make_unique<NPalette>();
    palette->FromSystem();
    NPaletteRegistry::The().SetScreenPalette(std::move(palette));
    NHostHeadlessWindow window(kScreen.fWidth, kScreen.fHeight);
    NSpUniverse universe;
    universe.SetBounds(kScreen, &window);
    universe.SetFill(0xFF202020);
    NInputState::The().PushInputRoot(universe);
    NEditor editor;
    editor.SetUp(NRect(20, 20, 600, 440), FieldFont());
    editor.SetMultiLine(true);
    universe.AddChild(editor, 0);
    std::string text;
    for (int line = 0; line < 2000; ++line)
        text += "Line " + std::to_string(line) + " of the album notes, typed by the studio\n";
    editor.SetText(text);
    NInputState::The().TakeFocus(editor, true);
    editor.Select(int32_t(text.size()) / 2, int32_t(text.size()) / 2);
    universe.RenderChanges();
    NInputEvent typed;
    typed.Init(kInputChar, 0, NPoint());
    int count = 0;
    for (auto _ : state) {
        typed.fChar = (++count % 2) ? uint8_t('x') : uint8_t(8);   // type, then take it back
        NInputState::The().Char(typed);
        universe.RenderChanges();
    }
    state.counters["lines"] = editor.Document().LineCount();
    NInputState::The().RemoveFromFocusHistory(editor);
}

} // namespace

BENCHMARK(FullWrap)->Unit(benchmark::kMicrosecond);
BENCHMARK(TypeNearEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(KeystrokeToFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
