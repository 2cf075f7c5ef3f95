// Posting and delivering port events, hover routing through a large tree, and an empty idle pass.
#include "framework/NAppClock.h"
#include "framework/NEventQueue.h"
#include "framework/NEventTarget.h"
#include "framework/NIdleTaskRegistry.h"
#include "framework/NInputState.h"
#include "framework/NPortHandle.h"
#include "framework/NPortListener.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kPortCount = 100;
constexpr int kListenersPerPort = 10;
constexpr int kEventCount = 1000000;

// Tree of 1 + 9 + 9 * 10 + 9 * 10 * 10 = 1000 targets.
constexpr int kGroupCount = 9;
constexpr int kSubgroupCount = 10;
constexpr int kLeafCount = 10;

class CountingListener : public NPortListener {
public:
    bool HandleEvent(const NPortEvent& event) override
    {
        fSum += static_cast<uint32_t>(event.fArgument);
        return true;
    }
    uint32_t fSum = 0;
};

class CountingTarget : public NEventTarget {
public:
    bool MouseEnter(const NInputEvent&) override { return ++fEnters != 0; }
    bool MouseLeave(const NInputEvent&) override { return ++fLeaves != 0; }
    uint32_t fEnters = 0;
    uint32_t fLeaves = 0;
};

bool IdlePass()
{
    NAppClock::The().Update();
    bool more = NEventQueue::The().Process();
    NIdleTaskRegistry::The().RunDueTasks();
    return more;
}

void BM_PostAndDeliverMillionEvents(benchmark::State& state)
{
    std::vector<NPortHandle> ports(kPortCount);
    std::vector<CountingListener> listeners(kPortCount * kListenersPerPort);
    for (int i = 0; i < kPortCount; ++i) {
        for (int j = 0; j < kListenersPerPort; ++j)
            ports[i].AddListener(listeners[i * kListenersPerPort + j]);
    }
    int64_t passes = 0;
    for (auto _ : state) {
        for (int i = 0; i < kEventCount; ++i)
            ports[i % kPortCount].Post(NPortEvent(1, i));
        while (IdlePass())
            ++passes;
        ++passes;
    }
    uint32_t sum = 0;
    for (const CountingListener& listener : listeners)
        sum += listener.fSum;
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * kEventCount);
    state.counters["passes"] = benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kAvgIterations);
    state.counters["deliveries/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kEventCount * kListenersPerPort, benchmark::Counter::kIsRate);
}

void BM_SendToTenListeners(benchmark::State& state)
{
    NPortHandle port;
    std::vector<CountingListener> listeners(kListenersPerPort);
    for (CountingListener& listener : listeners)
        port.AddListener(listener);
    int32_t argument = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(port.Send(NPortEvent(1, ++argument)));
    state.SetItemsProcessed(state.iterations());
}

void BM_HoverThroughThousandTargets(benchmark::State& state)
{
    std::vector<std::unique_ptr<CountingTarget>> nodes;
    auto make = [&](NEventTarget* parent, NRect rect, int priority) {
        nodes.push_back(std::make_unique<CountingTarget>());
        nodes.back()->SetLocalRect(rect);
        if (parent)
            parent->AddChild(*nodes.back(), priority);
        return nodes.back().get();
    };
    CountingTarget* universe = make(nullptr, NEventTarget::kDefaultRect, 0);
    for (int g = 0; g < kGroupCount; ++g) {
        NEventTarget* group = make(universe, NRect(int16_t(g % 3 * 213), int16_t(g / 3 * 160), 213, 160), g);
        for (int s = 0; s < kSubgroupCount; ++s) {
            NEventTarget* subgroup = make(group, NRect(int16_t(s % 5 * 42), int16_t(s / 5 * 80), 42, 80), s);
            for (int l = 0; l < kLeafCount; ++l)
                make(subgroup, NRect(int16_t(l % 2 * 21), int16_t(l / 2 * 16), 21, 16), l);
        }
    }
    NInputState& input = NInputState::The();
    input.PushInputRoot(*universe);
    NInputEvent event;
    int16_t step = 0;
    for (auto _ : state) {
        // A walk over the screen, so that each move leaves one leaf and enters another.
        step = static_cast<int16_t>((step + 7) % 620);
        event.Init(kInputMouseMove, 0, NPoint(step, static_cast<int16_t>(step * 3 / 4)));
        input.PointerMoved(event);
    }
    uint32_t changes = 0;
    for (const auto& node : nodes)
        changes += node->fEnters + node->fLeaves;
    state.counters["targets"] = static_cast<double>(nodes.size());
    state.counters["reports/move"]
        = benchmark::Counter(static_cast<double>(changes), benchmark::Counter::kAvgIterations);
    input.RemoveInputRoot(*universe);
    nodes.clear();
}

void BM_IdlePassWithNothingToDo(benchmark::State& state)
{
    NEventQueue::The().Clear();
    IdlePass(); // purges whatever earlier benchmarks left dead
    for (auto _ : state)
        benchmark::DoNotOptimize(IdlePass());
}

BENCHMARK(BM_PostAndDeliverMillionEvents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SendToTenListeners);
BENCHMARK(BM_HoverThroughThousandTargets)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IdlePassWithNothingToDo);

} // namespace

BENCHMARK_MAIN();
