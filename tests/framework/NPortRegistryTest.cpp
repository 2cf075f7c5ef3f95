// Ports and listeners: registration, sending, re-entrant delivery and listener destruction.
#include "framework/NPortRegistry.h"

#include "framework/NPortHandle.h"
#include "tests/framework/NEventTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using NPortRegistryTest = NEventTest;

TEST_F(NPortRegistryTest, HandlesTakeIncreasingIdsAndMissingPortsAnswerFalse)
{
    NPortHandle first;
    NPortHandle second;
    EXPECT_GT(first.Id(), 0u);
    EXPECT_EQ(second.Id(), first.Id() + 1);

    NEventLog log;
    NRecordingListener listener(log, "a");
    NPortRegistry& registry = NPortRegistry::The();
    uint32_t missing = second.Id() + 1000;
    EXPECT_FALSE(registry.AddListener(missing, listener));
    EXPECT_FALSE(registry.RemoveListener(missing, listener));
    EXPECT_FALSE(registry.Send(missing, NPortEvent(1)));
    EXPECT_FALSE(NPortHandle::Post(missing, NPortEvent(1)));
    EXPECT_FALSE(registry.DiscardPending(missing));
    EXPECT_FALSE(registry.Destroy(missing));
    EXPECT_EQ(listener.PortCount(), 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(NPortRegistryTest, SendReachesEveryListenerInOrderAndAnswersWhetherAnyHandledIt)
{
    NPortHandle port;
    EXPECT_FALSE(port.Send(NPortEvent(7))); // no listeners at all

    NEventLog log;
    NRecordingListener a(log, "a"), b(log, "b"), c(log, "c");
    EXPECT_TRUE(port.AddListener(a));
    EXPECT_TRUE(port.AddListener(b));
    EXPECT_TRUE(port.AddListener(c));
    EXPECT_FALSE(port.AddListener(b)); // already on it
    EXPECT_EQ(port.ListenerCount(), 3);
    EXPECT_EQ(b.PortCount(), 1);

    EXPECT_FALSE(port.Send(NPortEvent(7)));
    b.fAnswer = true;
    EXPECT_TRUE(port.Send(NPortEvent(8, 99)));
    EXPECT_EQ(log, (NEventLog { "a:7", "b:7", "c:7", "a:8", "b:8", "c:8" }));
    EXPECT_EQ(c.fLast.fPort, port.Id());
    EXPECT_EQ(c.fLast.fArgument, 99);
}

TEST_F(NPortRegistryTest, EachSendAndPostTakesTheNextSequenceStamp)
{
    NPortHandle port;
    NEventLog log;
    NRecordingListener a(log, "a");
    port.AddListener(a);
    port.Send(NPortEvent(1));
    uint32_t first = a.fLast.fSequence;
    port.Post(NPortEvent(2));
    port.Send(NPortEvent(3));
    EXPECT_EQ(a.fLast.fSequence, first + 2);
}

TEST_F(NPortRegistryTest, ListenerThatUnregistersItselfIsSkippedAndUnlinkedAfterTheOutermostDelivery)
{
    NPortHandle port;
    NEventLog log;
    NRecordingListener a(log, "a"), b(log, "b"), c(log, "c");
    port.AddListener(a);
    port.AddListener(b);
    port.AddListener(c);
    int nested = 0;
    a.fAction = [&](const NPortEvent& event) {
        if (event.fCode != 1)
            return;
        port.RemoveListener(a);
        EXPECT_EQ(a.PortCount(), 0);
        EXPECT_EQ(port.ListenerCount(), 2);
        ++nested;
        port.Send(NPortEvent(2)); // a is skipped here already
        // Still in the list: registering again revives the entry in its old place.
        port.AddListener(a);
        port.RemoveListener(a);
    };
    port.Send(NPortEvent(1));
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(log, (NEventLog { "a:1", "b:2", "c:2", "b:1", "c:1" }));

    // Unlinked now: registering again appends at the end.
    log.clear();
    port.AddListener(a);
    port.Send(NPortEvent(3));
    EXPECT_EQ(log, (NEventLog { "b:3", "c:3", "a:3" }));
}

TEST_F(NPortRegistryTest, ReregisteringInsideTheDeliveryKeepsTheOldPlace)
{
    NPortHandle port;
    NEventLog log;
    NRecordingListener a(log, "a"), b(log, "b");
    port.AddListener(a);
    port.AddListener(b);
    b.fAction = [&](const NPortEvent& event) {
        if (event.fCode == 1) {
            port.RemoveListener(a);
            port.AddListener(a);
        }
    };
    port.Send(NPortEvent(1));
    log.clear();
    port.Send(NPortEvent(2));
    EXPECT_EQ(log, (NEventLog { "a:2", "b:2" }));
    EXPECT_EQ(a.PortCount(), 1);
    EXPECT_EQ(port.ListenerCount(), 2);
}

TEST_F(NPortRegistryTest, ListenersAddedDuringADeliverySeeTheRestOfIt)
{
    NPortHandle port;
    NEventLog log;
    NRecordingListener a(log, "a"), b(log, "b");
    port.AddListener(a);
    a.fAction = [&](const NPortEvent&) { port.AddListener(b); };
    port.Send(NPortEvent(1));
    EXPECT_EQ(log, (NEventLog { "a:1", "b:1" }));
}

TEST_F(NPortRegistryTest, ListenerDestroyedDuringADeliveryIsNeverCalledAgain)
{
    NPortHandle port;
    NPortHandle other;
    NEventLog log;
    NRecordingListener a(log, "a");
    auto doomed = std::make_unique<NRecordingListener>(log, "doomed");
    NRecordingListener c(log, "c");
    port.AddListener(a);
    port.AddListener(*doomed);
    port.AddListener(c);
    other.AddListener(*doomed);
    a.fAction = [&](const NPortEvent& event) {
        if (event.fCode == 1) {
            port.Send(NPortEvent(2)); // nested: doomed still hears this one
            doomed.reset();
        }
    };
    port.Send(NPortEvent(1));
    EXPECT_EQ(log, (NEventLog { "a:1", "a:2", "doomed:2", "c:2", "c:1" }));
    EXPECT_EQ(port.ListenerCount(), 2);
    EXPECT_EQ(other.ListenerCount(), 0);
    EXPECT_FALSE(other.Send(NPortEvent(3)));
}

TEST_F(NPortRegistryTest, ListenerThatDestroysItselfInsideHandleEvent)
{
    NPortHandle port;
    NEventLog log;
    struct SelfDeleting : NPortListener {
        explicit SelfDeleting(NEventLog& log)
            : fLog(log)
        {
        }
        bool HandleEvent(const NPortEvent&) override
        {
            fLog.push_back("gone");
            NEventLog& log = fLog;
            delete this;
            log.push_back("after");
            return true;
        }
        NEventLog& fLog;
    };
    port.AddListener(*new SelfDeleting(log));
    NRecordingListener b(log, "b");
    port.AddListener(b);
    EXPECT_TRUE(port.Send(NPortEvent(1)));
    EXPECT_FALSE(port.Send(NPortEvent(2)));
    EXPECT_EQ(log, (NEventLog { "gone", "after", "b:1", "b:2" }));
}

TEST_F(NPortRegistryTest, PortDestroyedWhileDeliveringFinishesTheDelivery)
{
    auto port = std::make_unique<NPortHandle>();
    uint32_t id = port->Id();
    NEventLog log;
    NRecordingListener a(log, "a"), b(log, "b");
    port->AddListener(a);
    port->AddListener(b);
    a.fAction = [&](const NPortEvent&) {
        port.reset();
        NEventQueue::The().Process(); // an idle pass from inside: the port must survive it
    };
    NPortRegistry::The().Send(id, NPortEvent(1));
    EXPECT_EQ(log, (NEventLog { "a:1", "b:1" }));
    EXPECT_TRUE(NPortRegistry::The().IsDead(id));
    NEventQueue::The().Process();
    EXPECT_FALSE(NPortRegistry::The().Exists(id));
    EXPECT_EQ(a.PortCount(), 0);
    EXPECT_EQ(b.PortCount(), 0);
}

TEST_F(NPortRegistryTest, ListenerCountsFollowRegistrations)
{
    NPortHandle one, two;
    NEventLog log;
    NRecordingListener a(log, "a");
    one.AddListener(a);
    two.AddListener(a);
    EXPECT_EQ(a.PortCount(), 2);
    EXPECT_TRUE(one.RemoveListener(a));
    EXPECT_FALSE(one.RemoveListener(a));
    EXPECT_EQ(a.PortCount(), 1);
    {
        NPortHandle moved = std::move(two);
        EXPECT_EQ(two.Id(), 0u);
        EXPECT_EQ(moved.ListenerCount(), 1);
    }
    NEventQueue::The().Process(); // purges the dead port
    EXPECT_EQ(a.PortCount(), 0);
}

TEST_F(NPortRegistryTest, EventsNameObjectsByReferenceUntilTheyAreDestroyed)
{
    struct Thing : NReferable { };
    auto thing = std::make_unique<Thing>();
    NPortEvent event(5);
    event.SetArgumentObject(*thing);
    event.fSource = thing->Reference();
    EXPECT_NE(event.fSource, 0u);
    EXPECT_EQ(event.ArgumentAs<Thing>(), thing.get());
    EXPECT_EQ(event.SourceAs<Thing>(), thing.get());
    EXPECT_EQ(event.ArgumentAs<NEventTarget>(), nullptr); // not that kind of object
    thing.reset();
    EXPECT_EQ(event.ArgumentAs<Thing>(), nullptr);
    EXPECT_EQ(NReferable::Find(0), nullptr);
    Thing other;
    EXPECT_NE(other.Reference(), event.fSource); // references are never reused
}

} // namespace
