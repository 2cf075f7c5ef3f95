// Thousands of random port and tree operations, many of them inside handlers, on the real
// classes and on a plain model; both must log the same deliveries, answers and states.
#include "framework/NEventQueue.h"
#include "framework/NPortHandle.h"
#include "framework/NPortRegistry.h"
#include "tests/framework/NEventTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <sstream>

namespace {

constexpr int kMaxPorts = 24;
constexpr int kMaxListeners = 48;
constexpr int kMaxNodes = 80;
constexpr int kMaxDepth = 3; // handlers react only this deep
constexpr int kOperations = 8000; // per seed
constexpr uint32_t kSeeds[] = { 1, 2, 3, 5, 8, 13, 21, 34 };

enum class Kind {
    None,
    CreatePort,
    DestroyPort,
    CreateListener,
    DestroyListener,
    Register,
    Unregister,
    Send,
    Post,
    Discard,
    IdlePass,
    Process,
    CreateNode,
    DestroyNode,
    DestroyAncestor,
    AddChild,
    RemoveChild,
    SetEnabled,
    TakeFocus,
    RemoveFocus,
    Move,
    Down,
    Up,
    Key,
    Char,
    Wheel,
    PushRoot,
    RemoveRoot,
    Checkpoint,
};

struct Op {
    Kind fKind = Kind::None;
    int fA = 0;
    int fB = 0;
    int fC = 0;
    NRect fRect;
};

// Target operations that the random targets log and answer.
enum TargetOp {
    kWheelCapture,
    kWheel,
    kDownCapture,
    kDown,
    kUp,
    kEnter,
    kLeave,
    kChar,
    kKeyDown,
    kCanLose,
    kLost,
    kGained
};
constexpr const char* kTargetOpNames[] = { "WheelCapture", "Wheel", "MouseDownCapture", "MouseDown", "MouseUp",
    "MouseEnter", "MouseLeave", "Char", "KeyDown", "CanLoseFocus", "FocusLost", "FocusGained" };

// The shared stream of operations, reactions and answers. Both worlds draw from their own
// copy in the same order as long as they behave the same.
class Script {
public:
    explicit Script(uint32_t seed)
        : fRandom(seed)
    {
    }

    int Pick(int count) { return count <= 0 ? 0 : static_cast<int>(fRandom() % static_cast<uint32_t>(count)); }
    bool Answer() { return Pick(4) == 0; }

    Op Next(bool nested)
    {
        if (nested && Pick(2) == 0)
            return Op();
        Op op;
        int roll = Pick(100);
        int node = Pick(fNodes);
        if (nested && roll < 6) {
            // Destroying the node whose handler runs, or one of its ancestors, ends walks that
            // are still under way above it.
            op.fKind = Kind::DestroyAncestor;
            op.fA = Pick(3);
            return op;
        }
        if (roll < 4 && !nested && fPorts < kMaxPorts) {
            op.fKind = Kind::CreatePort;
            ++fPorts;
        } else if (roll < 8 && !nested && fListeners < kMaxListeners) {
            op.fKind = Kind::CreateListener;
            ++fListeners;
        } else if (roll < 14 && !nested && fNodes < kMaxNodes) {
            op.fKind = Kind::CreateNode;
            // Relative to the parent it will get: small offsets keep children under the pointer.
            op.fRect = NRect(
                int16_t(Pick(240) - 20), int16_t(Pick(180) - 20), int16_t(60 + Pick(340)), int16_t(40 + Pick(260)));
            ++fNodes;
        } else if (roll < 30 && fPorts > 0 && fListeners > 0) {
            op.fKind = Pick(3) == 0 ? Kind::Unregister : Kind::Register;
            op.fA = Pick(fListeners);
            op.fB = Pick(fPorts);
        } else if (roll < 40 && fPorts > 0) {
            op.fKind = Kind::Send;
            op.fA = Pick(fPorts);
            op.fB = ++fCodes;
        } else if (roll < 48 && fPorts > 0) {
            static constexpr int kDelays[] = { 0, 0, 0, 1, 5, 20 };
            op.fKind = Kind::Post;
            op.fA = Pick(fPorts);
            op.fB = ++fCodes;
            op.fC = kDelays[Pick(6)];
        } else if (roll < 50 && fPorts > 0) {
            op.fKind = Pick(3) == 0 ? Kind::DestroyPort : Kind::Discard;
            op.fA = Pick(fPorts);
        } else if (roll < 52 && fListeners > 0 && Pick(2) == 0) {
            op.fKind = Kind::DestroyListener;
            op.fA = Pick(fListeners);
        } else if (roll < 58) {
            static constexpr int kAdvances[] = { 0, 1, 3, 10, 25 };
            op.fKind = nested ? Kind::Process : Kind::IdlePass;
            op.fA = kAdvances[Pick(5)];
        } else if (roll < 60 && Pick(2) == 0) {
            op.fKind = node == 0 ? Kind::None : Kind::DestroyNode;
            op.fA = node;
        } else if (roll < 68) {
            // Parents are mostly older nodes, so that trees grow from the universe.
            op.fKind = Pick(4) == 0 ? Kind::RemoveChild : Kind::AddChild;
            static constexpr int kUniverse = 0;
            int roll2 = Pick(4);
            op.fA = roll2 == 0 ? Pick(fNodes) : roll2 == 1 ? kUniverse : Pick(node + 1);
            op.fB = node;
            op.fC = Pick(4);
        } else if (roll < 70) {
            op.fKind = Kind::SetEnabled;
            op.fA = node;
            op.fB = Pick(3) != 0;
        } else if (roll < 75) {
            op.fKind = Pick(3) == 0 ? Kind::RemoveFocus : Kind::TakeFocus;
            op.fA = node;
            op.fB = Pick(2);
        } else if (roll < 91) {
            static constexpr Kind kPointer[]
                = { Kind::Move, Kind::Move, Kind::Move, Kind::Down, Kind::Up, Kind::Wheel };
            op.fKind = kPointer[Pick(6)];
            op.fA = Pick(640);
            op.fB = Pick(480);
        } else if (roll < 95) {
            op.fKind = Pick(2) == 0 ? Kind::Key : Kind::Char;
        } else if (roll < 97) {
            // Modal roots come and go, mostly the latest first; the universe stays at the bottom.
            if (fPushed.empty() || (fPushed.size() < 4 && Pick(2) == 0)) {
                op.fKind = node == 0 ? Kind::None : Kind::PushRoot;
                op.fA = node;
                if (node != 0)
                    fPushed.push_back(node);
            } else {
                size_t which
                    = Pick(3) == 0 ? static_cast<size_t>(Pick(static_cast<int>(fPushed.size()))) : fPushed.size() - 1;
                op.fKind = Kind::RemoveRoot;
                op.fA = fPushed[which];
                fPushed.erase(fPushed.begin() + static_cast<std::ptrdiff_t>(which));
            }
        } else {
            op.fKind = nested ? Kind::None : Kind::Checkpoint;
        }
        return op;
    }

private:
    std::mt19937 fRandom;
    int fPorts = 0;
    int fListeners = 0;
    int fNodes = 1; // the universe, made by the driver
    int fCodes = 0;
    std::vector<int> fPushed; // input roots this script pushed and has not removed yet
};

class World {
public:
    explicit World(uint32_t seed)
        : fScript(seed)
    {
    }
    virtual ~World() = default;
    virtual void Apply(const Op& op) = 0;

    /// The universe as the first input root, then the script's operations. Reactions inside
    /// handlers draw from the same script, so both worlds see the same stream while they agree.
    void Run()
    {
        Apply(Op { Kind::CreateNode, 0, 0, 0, NEventTarget::kDefaultRect });
        Apply(Op { Kind::PushRoot, 0, 0, 0, NRect() });
        for (int i = 0; i < kOperations; ++i)
            Apply(fScript.Next(false));
        Apply(Op { Kind::Checkpoint, 0, 0, 0, NRect() });
    }

    NEventLog fLog;

protected:
    void Note(const std::string& text) { fLog.push_back(text); }
    void Note(const char* what, bool result) { fLog.push_back(std::string(what) + "=" + (result ? "1" : "0")); }
    static std::string RectText(const NRect& r)
    {
        std::ostringstream text;
        text << r.fX << "," << r.fY << "," << r.fWidth << "," << r.fHeight;
        return text.str();
    }

    Script fScript;
    int fDepth = 0;
};

// The real classes.
class RealWorld : public World {
public:
    RealWorld(uint32_t seed, NManualClock& clock)
        : World(seed)
        , fClock(clock)
    {
    }

    ~RealWorld() override
    {
        fQuiet = true; // handlers run during the teardown, but no longer react
        for (size_t i = fNodes.size(); i-- > 0;)
            fNodes[i].reset();
        fListeners.clear();
        fHandles.clear();
        NEventQueue::The().Clear();
        NEventQueue::The().Process();
    }

    class Listener : public NPortListener {
    public:
        Listener(RealWorld& world, int index)
            : fWorld(world)
            , fIndex(index)
        {
        }
        bool HandleEvent(const NPortEvent& event) override { return fWorld.OnPortEvent(fIndex, event); }
        RealWorld& fWorld;
        int fIndex;
    };

    class Target : public NEventTarget {
    public:
        Target(RealWorld& world, int index)
            : fWorld(world)
            , fIndex(index)
        {
        }
        bool WheelCapture(const NInputEvent&) override { return fWorld.OnTarget(fIndex, kWheelCapture); }
        bool Wheel(const NInputEvent&) override { return fWorld.OnTarget(fIndex, kWheel); }
        bool MouseDownCapture(const NInputEvent&) override { return fWorld.OnTarget(fIndex, kDownCapture); }
        bool MouseDown(const NInputEvent&) override { return fWorld.OnTarget(fIndex, kDown); }
        bool MouseUp(const NInputEvent&) override { return fWorld.OnTarget(fIndex, kUp); }
        bool MouseEnter(const NInputEvent&) override { return fWorld.OnTarget(fIndex, kEnter); }
        bool MouseLeave(const NInputEvent&) override { return fWorld.OnTarget(fIndex, kLeave); }
        bool Char(const NInputEvent&) override { return fWorld.OnTarget(fIndex, kChar); }
        bool KeyDown(const NInputEvent&) override { return fWorld.OnTarget(fIndex, kKeyDown); }
        bool CanLoseFocus() override { return fWorld.OnTarget(fIndex, kCanLose); }
        void FocusLost() override { fWorld.OnTarget(fIndex, kLost); }
        void FocusGained() override { fWorld.OnTarget(fIndex, kGained); }
        RealWorld& fWorld;
        int fIndex;
    };

    // Nothing after the reaction touches the listener or target: it may be gone.
    bool OnPortEvent(int listener, const NPortEvent& event)
    {
        if (fQuiet)
            return false;
        int port = static_cast<int>(std::find(fPortIds.begin(), fPortIds.end(), event.fPort) - fPortIds.begin());
        Note("L" + std::to_string(listener) + "@P" + std::to_string(port) + ":" + std::to_string(event.fCode));
        return React();
    }

    bool OnTarget(int node, TargetOp op)
    {
        if (fQuiet)
            return op == kCanLose;
        Note("N" + std::to_string(node) + "." + kTargetOpNames[op]);
        fRunning.push_back(node);
        bool answer = React();
        fRunning.pop_back();
        return op == kCanLose ? !answer : answer;
    }

    void Apply(const Op& op) override
    {
        NPortRegistry& ports = NPortRegistry::The();
        NInputState& input = NInputState::The();
        NEventTarget* a = NodeAt(op.fA);
        NEventTarget* b = NodeAt(op.fB);
        switch (op.fKind) {
        case Kind::None:
            break;
        case Kind::CreatePort:
            fHandles.push_back(std::make_unique<NPortHandle>());
            fPortIds.push_back(fHandles.back()->Id());
            break;
        case Kind::DestroyPort:
            fHandles[op.fA].reset();
            break;
        case Kind::CreateListener:
            fListeners.push_back(std::make_unique<Listener>(*this, static_cast<int>(fListeners.size())));
            break;
        case Kind::DestroyListener:
            fListeners[op.fA].reset();
            break;
        case Kind::Register:
            if (fListeners[op.fA])
                Note("add", ports.AddListener(fPortIds[op.fB], *fListeners[op.fA]));
            break;
        case Kind::Unregister:
            if (fListeners[op.fA])
                Note("remove", ports.RemoveListener(fPortIds[op.fB], *fListeners[op.fA]));
            break;
        case Kind::Send:
            Note("send", ports.Send(fPortIds[op.fA], NPortEvent(op.fB)));
            break;
        case Kind::Post:
            Note("post", NPortHandle::Post(fPortIds[op.fA], NPortEvent(op.fB), static_cast<uint32_t>(op.fC)));
            break;
        case Kind::Discard:
            Note("discard", ports.DiscardPending(fPortIds[op.fA]));
            break;
        case Kind::IdlePass:
            fClock.fNow += static_cast<uint32_t>(op.fA);
            NAppClock::The().Update();
            Note("pass", NEventQueue::The().Process());
            break;
        case Kind::Process:
            Note("process", NEventQueue::The().Process());
            break;
        case Kind::CreateNode:
            fNodes.push_back(std::make_unique<Target>(*this, static_cast<int>(fNodes.size())));
            fNodes.back()->SetLocalRect(op.fRect);
            break;
        case Kind::DestroyNode:
            fNodes[op.fA].reset();
            break;
        case Kind::DestroyAncestor: {
            NEventTarget* node = fRunning.empty() ? nullptr : NodeAt(fRunning.back());
            for (int up = 0; node && up < op.fA; ++up)
                node = node->Parent();
            if (node && IndexOf(node) != 0) {
                Note("destroy " + std::to_string(IndexOf(node)));
                fNodes[IndexOf(node)].reset();
            }
            break;
        }
        case Kind::AddChild:
            if (a && b)
                Note("addchild", a->AddChild(*b, op.fC));
            break;
        case Kind::RemoveChild:
            if (a && b)
                Note("removechild", a->RemoveChild(*b));
            break;
        case Kind::SetEnabled:
            if (a)
                a->SetEnabled(op.fB != 0);
            break;
        case Kind::TakeFocus:
            if (a)
                Note("focus", input.TakeFocus(*a, op.fB != 0));
            break;
        case Kind::RemoveFocus:
            if (a)
                input.RemoveFromFocusHistory(*a);
            break;
        case Kind::Move:
            input.PointerMoved(MakeInput(kInputMouseMove, int16_t(op.fA), int16_t(op.fB)));
            break;
        case Kind::Down:
            Note("down", input.ButtonDown(MakeInput(kInputButtonDown, int16_t(op.fA), int16_t(op.fB))));
            break;
        case Kind::Up:
            Note("up", input.ButtonUp(MakeInput(kInputButtonUp, int16_t(op.fA), int16_t(op.fB))));
            break;
        case Kind::Wheel:
            Note("wheel", input.Wheel(MakeInput(kInputButtonDown, int16_t(op.fA), int16_t(op.fB))));
            break;
        case Kind::Key:
            Note("key", input.KeyDown(MakeInput(kInputKeyDown)));
            break;
        case Kind::Char:
            Note("char", input.Char(MakeInput(kInputChar)));
            break;
        case Kind::PushRoot:
            if (a)
                input.PushInputRoot(*a);
            break;
        case Kind::RemoveRoot:
            if (a)
                input.RemoveInputRoot(*a);
            break;
        case Kind::Checkpoint:
            Checkpoint();
            break;
        }
    }

private:
    bool React()
    {
        bool answer = fScript.Answer();
        ++fDepth;
        Apply(fDepth <= kMaxDepth ? fScript.Next(true) : Op());
        --fDepth;
        return answer;
    }

    NEventTarget* NodeAt(int index) const
    {
        return index >= 0 && index < static_cast<int>(fNodes.size()) ? fNodes[index].get() : nullptr;
    }
    static int IndexOf(const NEventTarget* node) { return node ? static_cast<const Target*>(node)->fIndex : -1; }
    static std::string List(const std::vector<NEventTarget*>& nodes)
    {
        std::string text;
        for (const NEventTarget* node : nodes)
            text += std::to_string(IndexOf(node)) + " ";
        return text;
    }

    void Checkpoint()
    {
        NInputState& input = NInputState::The();
        NPortRegistry& ports = NPortRegistry::The();
        std::ostringstream state;
        state << "focus " << IndexOf(input.Focus()) << " capture " << IndexOf(input.CaptureTarget()) << " roots "
              << List(input.InputRoots()) << "history " << List(input.FocusHistory()) << "queue "
              << NEventQueue::The().Size() << " ports";
        for (uint32_t id : fPortIds)
            state << " " << (ports.Exists(id) ? std::to_string(ports.ListenerCount(id)) : "x");
        state << " listeners";
        for (const auto& listener : fListeners)
            state << " " << (listener ? std::to_string(listener->PortCount()) : "x");
        Note(state.str());
        for (const auto& node : fNodes) {
            if (!node)
                continue;
            std::ostringstream text;
            text << "N" << IndexOf(node.get()) << " p" << IndexOf(node->Parent()) << " [" << List(node->Children())
                 << "] " << RectText(node->Rect()) << " " << RectText(node->VisibleArea()) << " h"
                 << node->IsHoverKnown() << node->IsInside() << " r" << node->IsInputRoot();
            Note(text.str());
        }
    }

    NManualClock& fClock;
    bool fQuiet = false;
    std::vector<int> fRunning; // nodes whose handlers are running, innermost last
    std::vector<std::unique_ptr<NPortHandle>> fHandles;
    std::vector<uint32_t> fPortIds;
    std::vector<std::unique_ptr<Listener>> fListeners;
    std::vector<std::unique_ptr<Target>> fNodes;
};

// The model: plain indexes and vectors, computed geometry, a sorted queue.
class ModelWorld : public World {
public:
    explicit ModelWorld(uint32_t seed)
        : World(seed)
    {
    }

    void Apply(const Op& op) override
    {
        switch (op.fKind) {
        case Kind::None:
            break;
        case Kind::CreatePort:
            fPorts.emplace_back();
            break;
        case Kind::DestroyPort:
            if (!fPorts[op.fA].fHandleGone) {
                fPorts[op.fA].fHandleGone = true;
                fPorts[op.fA].fDead = true;
                fPurgePending = true;
            }
            break;
        case Kind::CreateListener:
            fListeners.push_back(0);
            break;
        case Kind::DestroyListener:
            if (fListeners[op.fA] >= 0)
                ForgetListener(op.fA);
            break;
        case Kind::Register:
            if (fListeners[op.fA] >= 0)
                Note("add", AddListener(op.fA, op.fB));
            break;
        case Kind::Unregister:
            if (fListeners[op.fA] >= 0)
                Note("remove", RemoveListener(op.fA, op.fB));
            break;
        case Kind::Send:
            Note("send", fPorts[op.fA].fExists && Deliver(op.fA, op.fB, ++fStamp));
            break;
        case Kind::Post:
            Note("post", Post(op.fA, op.fB, op.fC));
            break;
        case Kind::Discard:
            if (fPorts[op.fA].fExists)
                fPorts[op.fA].fThreshold = ++fStamp;
            Note("discard", fPorts[op.fA].fExists);
            break;
        case Kind::IdlePass:
            fNow += static_cast<uint64_t>(op.fA);
            fCached = fNow;
            Note("pass", Process());
            break;
        case Kind::Process:
            Note("process", Process());
            break;
        case Kind::CreateNode:
            fNodes.emplace_back();
            fNodes.back().fLocal = op.fRect;
            break;
        case Kind::DestroyNode:
            if (Alive(op.fA))
                DestroyNode(op.fA);
            break;
        case Kind::DestroyAncestor: {
            int node = fRunning.empty() || !Alive(fRunning.back()) ? -1 : fRunning.back();
            for (int up = 0; node >= 0 && up < op.fA; ++up)
                node = fNodes[node].fParent;
            if (node > 0) {
                Note("destroy " + std::to_string(node));
                DestroyNode(node);
            }
            break;
        }
        case Kind::AddChild:
            if (Alive(op.fA) && Alive(op.fB))
                Note("addchild", AddChild(op.fA, op.fB, op.fC));
            break;
        case Kind::RemoveChild:
            if (Alive(op.fA) && Alive(op.fB))
                Note("removechild", RemoveChild(op.fA, op.fB));
            break;
        case Kind::SetEnabled:
            if (Alive(op.fA))
                fNodes[op.fA].fEnabled = op.fB != 0;
            break;
        case Kind::TakeFocus:
            if (Alive(op.fA))
                Note("focus", MoveFocus(op.fA, op.fB != 0));
            break;
        case Kind::RemoveFocus:
            if (Alive(op.fA)) {
                std::erase(fHistory, op.fA);
                if (fFocus == op.fA)
                    MoveFocus(fHistory.empty() ? -1 : fHistory.back(), false);
            }
            break;
        case Kind::Move:
            fLast = NPoint(int16_t(op.fA), int16_t(op.fB));
            if (int target = fCapture >= 0 ? fCapture : Top(); target >= 0)
                Hover(target, fLast);
            break;
        case Kind::Down: {
            fOptOut = false;
            Routed routed
                = Top() >= 0 ? Route(Top(), NPoint(int16_t(op.fA), int16_t(op.fB)), kDownCapture, kDown) : Routed();
            fCapture = routed.fTaken && !fOptOut ? routed.fTaker : -1;
            Note("down", routed.fTaken);
            break;
        }
        case Kind::Up:
            Note("up", ButtonUp());
            break;
        case Kind::Wheel:
            Note("wheel",
                Top() >= 0 && Route(Top(), NPoint(int16_t(op.fA), int16_t(op.fB)), kWheelCapture, kWheel).fTaken);
            break;
        case Kind::Key:
            Note("key", FocusChain(kKeyDown));
            break;
        case Kind::Char:
            Note("char", FocusChain(kChar));
            break;
        case Kind::PushRoot:
            if (Alive(op.fA))
                PushRoot(op.fA);
            break;
        case Kind::RemoveRoot:
            if (Alive(op.fA) && fNodes[op.fA].fRoot) {
                bool wasTop = Top() == op.fA;
                std::erase(fRoots, op.fA);
                fNodes[op.fA].fRoot = false;
                if (wasTop)
                    RootChanged(op.fA);
            }
            break;
        case Kind::Checkpoint:
            Checkpoint();
            break;
        }
    }

private:
    struct Entry {
        int fListener; // -1 once the listener is destroyed
        bool fRemoved;
    };
    struct Port {
        bool fExists = true;
        bool fHandleGone = false;
        bool fDead = false;
        std::vector<Entry> fEntries;
        int fCount = 0;
        int fDepth = 0;
        bool fUnlinkPending = false;
        uint64_t fThreshold = 0;
    };
    struct Item {
        int fPort;
        int fCode;
        uint64_t fDue;
        uint64_t fStamp;
    };
    struct Node {
        bool fAlive = true;
        int fParent = -1;
        std::vector<int> fChildren;
        int fPriority = 0;
        NRect fLocal = NEventTarget::kDefaultRect;
        bool fEnabled = true;
        bool fKnown = false;
        bool fInside = false;
        bool fRoot = false;
    };
    struct Routed {
        bool fTaken = false;
        int fTaker = -1;
    };

    bool React()
    {
        bool answer = fScript.Answer();
        ++fDepth;
        Apply(fDepth <= kMaxDepth ? fScript.Next(true) : Op());
        --fDepth;
        return answer;
    }

    bool Call(int node, TargetOp op)
    {
        Note("N" + std::to_string(node) + "." + kTargetOpNames[op]);
        fRunning.push_back(node);
        bool answer = React();
        fRunning.pop_back();
        return op == kCanLose ? !answer : answer;
    }

    // Ports

    void MarkRemoved(Port& port, size_t index)
    {
        --port.fCount;
        if (port.fDepth == 0) {
            port.fEntries.erase(port.fEntries.begin() + static_cast<std::ptrdiff_t>(index));
        } else {
            port.fEntries[index].fRemoved = true;
            port.fUnlinkPending = true;
        }
    }

    bool AddListener(int listener, int portIndex)
    {
        Port& port = fPorts[portIndex];
        if (!port.fExists)
            return false;
        for (Entry& entry : port.fEntries) {
            if (entry.fListener == listener) {
                if (!entry.fRemoved)
                    return false;
                entry.fRemoved = false;
                ++port.fCount;
                ++fListeners[listener];
                return true;
            }
        }
        port.fEntries.push_back(Entry { listener, false });
        ++port.fCount;
        ++fListeners[listener];
        return true;
    }

    bool RemoveListener(int listener, int portIndex)
    {
        Port& port = fPorts[portIndex];
        if (!port.fExists)
            return false;
        for (size_t i = 0; i < port.fEntries.size(); ++i) {
            if (port.fEntries[i].fListener == listener && !port.fEntries[i].fRemoved) {
                MarkRemoved(port, i);
                --fListeners[listener];
                return true;
            }
        }
        return false;
    }

    void ForgetListener(int listener)
    {
        for (Port& port : fPorts) {
            if (!port.fExists)
                continue;
            for (size_t i = 0; i < port.fEntries.size(); ++i) {
                Entry& entry = port.fEntries[i];
                if (entry.fListener != listener)
                    continue;
                entry.fListener = -1;
                if (!entry.fRemoved) {
                    bool erased = port.fDepth == 0;
                    MarkRemoved(port, i);
                    if (erased)
                        --i;
                }
            }
        }
        fListeners[listener] = -1;
    }

    bool Deliver(int portIndex, int code, uint64_t stamp)
    {
        if (stamp <= fPorts[portIndex].fThreshold)
            return false;
        ++fPorts[portIndex].fDepth;
        bool handled = false;
        for (size_t i = 0; i < fPorts[portIndex].fEntries.size(); ++i) {
            Entry entry = fPorts[portIndex].fEntries[i];
            if (entry.fRemoved)
                continue;
            Note("L" + std::to_string(entry.fListener) + "@P" + std::to_string(portIndex) + ":" + std::to_string(code));
            if (React())
                handled = true;
        }
        Port& port = fPorts[portIndex];
        if (--port.fDepth == 0 && port.fUnlinkPending) {
            std::erase_if(port.fEntries, [](const Entry& entry) { return entry.fRemoved; });
            port.fUnlinkPending = false;
        }
        return handled;
    }

    bool Post(int portIndex, int code, int delay)
    {
        if (!fPorts[portIndex].fExists)
            return false;
        Item item { portIndex, code, fNow + static_cast<uint64_t>(delay), ++fStamp };
        auto at = std::find_if(fQueue.begin(), fQueue.end(), [&](const Item& queued) {
            return queued.fDue > item.fDue || (queued.fDue == item.fDue && queued.fStamp > item.fStamp);
        });
        fQueue.insert(at, item);
        return true;
    }

    bool Process()
    {
        if (fQueue.empty()) {
            if (fPurgePending) {
                fPurgePending = false;
                for (Port& port : fPorts) {
                    if (!port.fExists || !port.fDead)
                        continue;
                    if (port.fDepth > 0) {
                        fPurgePending = true;
                        continue;
                    }
                    for (const Entry& entry : port.fEntries) {
                        if (!entry.fRemoved)
                            --fListeners[entry.fListener];
                    }
                    port = Port();
                    port.fExists = false;
                    port.fHandleGone = true;
                }
            }
            return false;
        }
        uint64_t lastStampBefore = fStamp;
        size_t count = std::min<size_t>(fQueue.size(), NEventQueue::kMaxDeliveriesPerPass);
        for (size_t i = 0; i < count && !fQueue.empty(); ++i) {
            Item head = fQueue.front();
            if (head.fDue > fCached || head.fStamp > lastStampBefore)
                break;
            fQueue.erase(fQueue.begin());
            if (fPorts[head.fPort].fExists)
                Deliver(head.fPort, head.fCode, head.fStamp);
        }
        return !fQueue.empty();
    }

    // Tree

    bool Alive(int node) const { return node >= 0 && node < static_cast<int>(fNodes.size()) && fNodes[node].fAlive; }
    int Top() const { return fRoots.empty() ? -1 : fRoots.back(); }

    NRect Absolute(int node) const
    {
        const Node& n = fNodes[node];
        if (n.fParent < 0)
            return n.fLocal;
        NRect parent = Absolute(n.fParent);
        return n.fLocal.Offset(parent.fX, parent.fY);
    }
    NRect Visible(int node) const
    {
        const Node& n = fNodes[node];
        return n.fParent < 0 ? Absolute(node) : Absolute(node).Intersect(Visible(n.fParent));
    }
    bool TakesInput(int node) const
    {
        for (; node >= 0; node = fNodes[node].fParent) {
            if (!fNodes[node].fEnabled)
                return false;
        }
        return true;
    }
    bool IsAncestor(int ancestor, int node) const
    {
        for (int up = fNodes[node].fParent; up >= 0; up = fNodes[up].fParent) {
            if (up == ancestor)
                return true;
        }
        return false;
    }

    void Unlink(int parent, int child)
    {
        std::erase(fNodes[parent].fChildren, child);
        fNodes[child].fParent = -1;
    }

    bool AddChild(int parent, int child, int priority)
    {
        if (parent == child)
            return false;
        if (fNodes[child].fParent == parent) {
            if (fNodes[child].fPriority == priority)
                return true;
            Unlink(parent, child);
        } else if (fNodes[child].fParent >= 0 || IsAncestor(child, parent)) {
            return false;
        }
        std::vector<int>& children = fNodes[parent].fChildren;
        auto at = std::find_if(
            children.begin(), children.end(), [&](int sibling) { return fNodes[sibling].fPriority >= priority; });
        children.insert(at, child);
        fNodes[child].fParent = parent;
        fNodes[child].fPriority = priority;
        return true;
    }

    bool RemoveChild(int parent, int child)
    {
        if (fNodes[child].fParent != parent)
            return false;
        Unlink(parent, child);
        return true;
    }

    void DestroyNode(int node)
    {
        fNodes[node].fAlive = false;
        if (fNodes[node].fParent >= 0)
            Unlink(fNodes[node].fParent, node);
        for (int child : fNodes[node].fChildren)
            fNodes[child].fParent = -1;
        fNodes[node].fChildren.clear();
        if (fCapture == node)
            fCapture = -1;
        std::erase(fHistory, node);
        if (fFocus == node)
            fFocus = fHistory.empty() ? -1 : fHistory.back();
        if (fNodes[node].fRoot) {
            bool wasTop = Top() == node;
            std::erase(fRoots, node);
            fNodes[node].fRoot = false;
            if (wasTop)
                RootChanged(-1);
        }
    }

    // Visits the children a node had at the start that are still alive and still its own.
    template <class Visit> bool VisitChildren(int node, Visit visit)
    {
        std::vector<int> snapshot = fNodes[node].fChildren;
        for (int child : snapshot) {
            if (!fNodes[node].fAlive)
                return false;
            if (!fNodes[child].fAlive || fNodes[child].fParent != node)
                continue;
            if (visit(child))
                return true;
        }
        return false;
    }

    void Hover(int node, NPoint where)
    {
        if (!fNodes[node].fEnabled)
            return;
        bool inside = Visible(node).Contains(where) && Absolute(node).Contains(where);
        VisitChildren(node, [&](int child) {
            Hover(child, where);
            return false;
        });
        Node& n = fNodes[node];
        if (!n.fAlive || (n.fKnown && n.fInside == inside))
            return;
        n.fKnown = true;
        n.fInside = inside;
        Call(node, inside ? kEnter : kLeave);
    }

    Routed Route(int node, NPoint where, TargetOp capture, TargetOp own)
    {
        Routed routed;
        if (!fNodes[node].fEnabled || !Absolute(node).Contains(where))
            return routed;
        if (Call(node, capture))
            return Routed { true, fNodes[node].fAlive ? node : -1 };
        if (fNodes[node].fAlive && VisitChildren(node, [&](int child) {
                routed = Route(child, where, capture, own);
                return routed.fTaken;
            }))
            return routed;
        if (fNodes[node].fAlive && Call(node, own))
            return Routed { true, fNodes[node].fAlive ? node : -1 };
        return Routed();
    }

    bool ButtonUp()
    {
        if (fCapture < 0)
            return false;
        int target = fCapture;
        bool handled = Call(target, kUp);
        if (fNodes[target].fAlive && fCapture == target)
            fCapture = -1;
        return handled;
    }

    bool FocusChain(TargetOp op)
    {
        int node = fFocus;
        while (node >= 0) {
            int parent = fNodes[node].fParent;
            if (TakesInput(node) && Call(node, op))
                return true;
            node = fNodes[node].fAlive ? fNodes[node].fParent : (parent >= 0 && fNodes[parent].fAlive ? parent : -1);
        }
        return false;
    }

    bool MoveFocus(int node, bool notify)
    {
        if (fFocus == node)
            return true;
        if (fFocus >= 0) {
            int old = fFocus;
            if (!Call(old, kCanLose))
                return false;
            if (fNodes[old].fAlive)
                Call(old, kLost);
            if (fNodes[old].fAlive && notify)
                std::erase(fHistory, old);
        }
        if (node < 0) {
            fFocus = -1;
            return true;
        }
        if (!fNodes[node].fAlive)
            return false;
        if (notify) {
            Call(node, kGained);
            if (!fNodes[node].fAlive)
                return false;
        }
        fFocus = node;
        if (fHistory.empty() || fHistory.back() != node)
            fHistory.push_back(node);
        return true;
    }

    void RootChanged(int oldRoot)
    {
        if (int old = fCapture >= 0 ? fCapture : oldRoot; old >= 0)
            Hover(old, NInputState::kOffscreenPoint);
        if (Top() >= 0)
            Hover(Top(), fLast);
    }

    void PushRoot(int node)
    {
        if (int old = fCapture >= 0 ? fCapture : Top(); old >= 0)
            Hover(old, NInputState::kOffscreenPoint);
        if (!fNodes[node].fAlive)
            return;
        if (fRoots.empty() || fRoots.back() != node)
            fRoots.push_back(node);
        fNodes[node].fRoot = true;
        Hover(node, fLast);
    }

    static std::string List(const std::vector<int>& nodes)
    {
        std::string text;
        for (int node : nodes)
            text += std::to_string(node) + " ";
        return text;
    }

    void Checkpoint()
    {
        std::ostringstream state;
        state << "focus " << fFocus << " capture " << fCapture << " roots " << List(fRoots) << "history "
              << List(fHistory) << "queue " << fQueue.size() << " ports";
        for (const Port& port : fPorts)
            state << " " << (port.fExists ? std::to_string(port.fCount) : "x");
        state << " listeners";
        for (int count : fListeners)
            state << " " << (count >= 0 ? std::to_string(count) : "x");
        Note(state.str());
        for (size_t i = 0; i < fNodes.size(); ++i) {
            const Node& n = fNodes[i];
            if (!n.fAlive)
                continue;
            std::ostringstream text;
            text << "N" << i << " p" << n.fParent << " [" << List(n.fChildren) << "] "
                 << RectText(Absolute(static_cast<int>(i))) << " " << RectText(Visible(static_cast<int>(i))) << " h"
                 << n.fKnown << n.fInside << " r" << n.fRoot;
            Note(text.str());
        }
    }

    std::vector<Port> fPorts;
    std::vector<int> fListeners; // registration counts; -1 once destroyed
    std::vector<Item> fQueue;
    uint64_t fStamp = 0;
    uint64_t fNow = 0;
    uint64_t fCached = 0;
    bool fPurgePending = false;
    std::vector<Node> fNodes;
    std::vector<int> fRoots;
    int fCapture = -1;
    int fFocus = -1;
    std::vector<int> fHistory;
    NPoint fLast;
    bool fOptOut = false;
    std::vector<int> fRunning;
};

class NEventRandomTest : public NEventTest, public ::testing::WithParamInterface<uint32_t> { };

TEST_P(NEventRandomTest, RealClassesAgreeWithTheModel)
{
    uint32_t seed = GetParam();
    NInputState& input = NInputState::The();
    input.PointerMoved(MakeInput(kInputMouseMove, 0, 0));
    ASSERT_TRUE(input.InputRoots().empty());
    ASSERT_EQ(input.Focus(), nullptr);

    NEventLog real;
    {
        RealWorld world(seed, fClock);
        world.Run();
        real = world.fLog;
    }
    ModelWorld model(seed);
    model.Run();

    EXPECT_TRUE(input.InputRoots().empty());
    EXPECT_EQ(input.Focus(), nullptr);
    EXPECT_EQ(input.CaptureTarget(), nullptr);
    EXPECT_GT(real.size(), static_cast<size_t>(kOperations));
    // Enough traffic that the run means something: deliveries, target calls, destructions.
    auto count = [&](auto predicate) { return std::count_if(real.begin(), real.end(), predicate); };
    EXPECT_GT(count([](const std::string& line) { return line[0] == 'L'; }), 2000);
    EXPECT_GT(
        count([](const std::string& line) { return line[0] == 'N' && line.find('.') != std::string::npos; }), 600);
    EXPECT_GT(count([](const std::string& line) { return line.rfind("destroy ", 0) == 0; }), 5);
    size_t common = std::min(real.size(), model.fLog.size());
    size_t first = std::mismatch(real.begin(), real.begin() + common, model.fLog.begin()).first - real.begin();
    if (first < common || real.size() != model.fLog.size()) {
        std::ostringstream context;
        for (size_t i = first >= 8 ? first - 8 : 0; i < first + 4 && i < std::max(real.size(), model.fLog.size()); ++i)
            context << i << ": " << (i < real.size() ? real[i] : "-") << "  |  "
                    << (i < model.fLog.size() ? model.fLog[i] : "-") << "\n";
        ADD_FAILURE() << "seed " << seed << ": logs differ at line " << first << " (real | model)\n" << context.str();
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, NEventRandomTest, ::testing::ValuesIn(kSeeds));

} // namespace
