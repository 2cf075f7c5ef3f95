// The posted-event queue: order, due times, the per-pass limit, discarding and dead ports.
#include "framework/NEventQueue.h"

#include "framework/NNotification.h"
#include "framework/NPortHandle.h"
#include "framework/NPortRegistry.h"
#include "tests/framework/NEventTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class NEventQueueTest : public NEventTest {
protected:
    NEventQueueTest() { fPort.AddListener(fListener); }

    NPortHandle fPort;
    NEventLog fLog;
    NRecordingListener fListener { fLog, "l" };
};

TEST_F(NEventQueueTest, EqualDueTimesArriveInPostingOrderAndEarlierDueTimesFirst)
{
    fPort.Post(NPortEvent(1), 20);
    fPort.Post(NPortEvent(2), 10);
    fPort.Post(NPortEvent(3), 20);
    fPort.Post(NPortEvent(4), 10);
    fPort.Post(NPortEvent(5), 0);
    Advance(9);
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "l:5" }));
    Advance(1);
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "l:5", "l:2", "l:4" }));
    Advance(10);
    EXPECT_FALSE(IdlePass());
    EXPECT_EQ(fLog, (NEventLog { "l:5", "l:2", "l:4", "l:1", "l:3" }));
}

TEST_F(NEventQueueTest, DelayZeroIsDeliveredOnTheNextPassNotAtOnce)
{
    EXPECT_TRUE(fPort.Post(NPortEvent(1, 42)));
    EXPECT_TRUE(fLog.empty());
    EXPECT_EQ(NEventQueue::The().Size(), 1u);
    EXPECT_FALSE(IdlePass());
    EXPECT_EQ(fLog, (NEventLog { "l:1" }));
    EXPECT_EQ(fListener.fLast.fArgument, 42);
    EXPECT_EQ(fListener.fLast.fPort, fPort.Id());
}

TEST_F(NEventQueueTest, PostsFromADeliveryWaitForTheNextPass)
{
    fListener.fAction = [&](const NPortEvent& event) {
        if (event.fCode < 3)
            fPort.Post(NPortEvent(event.fCode + 1));
    };
    fPort.Post(NPortEvent(1));
    EXPECT_TRUE(IdlePass());
    EXPECT_EQ(fLog, (NEventLog { "l:1" }));
    EXPECT_TRUE(IdlePass());
    EXPECT_FALSE(IdlePass());
    EXPECT_EQ(fLog, (NEventLog { "l:1", "l:2", "l:3" }));
}

TEST_F(NEventQueueTest, PostRecordsPostAndDueTimes)
{
    Advance(100);
    NAppClock::The().Update();
    Advance(5);
    fPort.Post(NPortEvent(1), 30);
    Advance(29);
    IdlePass();
    EXPECT_TRUE(fLog.empty()); // due at 135, the clock says 134
    Advance(1);
    IdlePass();
    ASSERT_EQ(fLog.size(), 1u);
    EXPECT_EQ(fListener.fLast.fPostTime, 100u);
    EXPECT_EQ(fListener.fLast.fDueTime, 135u);
}

TEST_F(NEventQueueTest, AtMostFiftyEventsPerPass)
{
    for (int32_t i = 0; i < 120; ++i)
        fPort.Post(NPortEvent(i));
    EXPECT_TRUE(IdlePass());
    EXPECT_EQ(fListener.fCount, NEventQueue::kMaxDeliveriesPerPass);
    EXPECT_EQ(fListener.fLast.fCode, 49);
    EXPECT_TRUE(IdlePass());
    EXPECT_EQ(fListener.fCount, 100);
    EXPECT_FALSE(IdlePass());
    EXPECT_EQ(fListener.fCount, 120);
    EXPECT_EQ(fListener.fLast.fCode, 119);
}

TEST_F(NEventQueueTest, DiscardPendingDropsEarlierEventsOnlyOfThatPort)
{
    NPortHandle other;
    NRecordingListener otherListener(fLog, "o");
    other.AddListener(otherListener);
    fPort.Post(NPortEvent(1));
    other.Post(NPortEvent(2));
    fPort.Post(NPortEvent(3), 50);
    EXPECT_TRUE(fPort.DiscardPending());
    fPort.Post(NPortEvent(4));
    fPort.Send(NPortEvent(5));
    Advance(50);
    EXPECT_FALSE(IdlePass());
    EXPECT_EQ(fLog, (NEventLog { "l:5", "o:2", "l:4" }));
}

TEST_F(NEventQueueTest, EventsForADestroyedPortStillReachItsListenersUntilThePurge)
{
    auto port = std::make_unique<NPortHandle>();
    uint32_t id = port->Id();
    NRecordingListener late(fLog, "late");
    port->AddListener(late);
    port->Post(NPortEvent(1), 10);
    port.reset();
    EXPECT_TRUE(NPortRegistry::The().IsDead(id));
    EXPECT_TRUE(IdlePass());
    EXPECT_TRUE(NPortRegistry::The().Exists(id)); // the queue is not empty yet
    Advance(10);
    EXPECT_FALSE(IdlePass());
    EXPECT_EQ(fLog, (NEventLog { "late:1" }));
    EXPECT_TRUE(NPortRegistry::The().Exists(id)); // purged by the first pass that finds no events
    EXPECT_TRUE(NPortRegistry::The().PurgePending());
    IdlePass();
    EXPECT_FALSE(NPortRegistry::The().Exists(id));
    EXPECT_FALSE(NPortRegistry::The().PurgePending());
    EXPECT_EQ(late.PortCount(), 0);
    EXPECT_FALSE(NPortHandle::Post(id, NPortEvent(2)));
}

TEST_F(NEventQueueTest, EventsForAPurgedPortAreDroppedSilently)
{
    auto port = std::make_unique<NPortHandle>();
    NRecordingListener gone(fLog, "gone");
    port->AddListener(gone);
    port->Post(NPortEvent(1), 100);
    uint32_t id = port->Id();
    port.reset();
    NEventQueue::The().Clear();
    IdlePass(); // empty queue: the purge runs
    EXPECT_FALSE(NPortRegistry::The().Exists(id));
    // A notification that still holds the id posts nothing and sends nothing.
    NNotification notification(id, NPortEvent(9), false);
    EXPECT_FALSE(notification.Fire());
    fPort.Post(NPortEvent(2));
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "l:2" }));
}

TEST_F(NEventQueueTest, IdlePassFromInsideADeliveryKeepsTheLimitAndOrder)
{
    for (int32_t i = 0; i < 5; ++i)
        fPort.Post(NPortEvent(i));
    fListener.fAction = [&](const NPortEvent& event) {
        if (event.fCode == 1)
            NEventQueue::The().Process(); // a modal loop inside a handler
    };
    EXPECT_FALSE(IdlePass());
    EXPECT_EQ(fLog, (NEventLog { "l:0", "l:1", "l:2", "l:3", "l:4" }));
}

TEST_F(NEventQueueTest, NotificationsSendOrPostTheirTemplate)
{
    NPortEvent templateEvent(700, 5);
    templateEvent.fSource = 77;
    NNotification now(fPort.Id(), templateEvent, true);
    NNotification later(fPort.Id(), templateEvent, false, 20);
    EXPECT_FALSE(NNotification().Fire());

    EXPECT_FALSE(now.Fire()); // sent: the listener answers false
    EXPECT_EQ(fLog, (NEventLog { "l:700" }));
    EXPECT_EQ(fListener.fLast.fArgument, 5);
    EXPECT_EQ(fListener.fLast.fSource, 77u);
    EXPECT_EQ(fListener.fLast.fSecondArgument, 0);

    EXPECT_TRUE(later.FireWithValue(31000, 88));
    EXPECT_TRUE(later.FireWithValue(31001));
    Advance(19);
    IdlePass();
    EXPECT_EQ(fLog.size(), 1u);
    Advance(1);
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "l:700", "l:31000", "l:31001" }));
    EXPECT_EQ(fListener.fLast.fSecondArgument, 700);
    EXPECT_EQ(fListener.fLast.fArgument, 5);
    EXPECT_EQ(fListener.fLast.fSource, 77u); // no source given: the template's stays

    fListener.fAnswer = true;
    EXPECT_TRUE(now.FireWithValue(31000, 88));
    EXPECT_EQ(fListener.fLast.fSource, 88u);
    EXPECT_EQ(fListener.fLast.fSecondArgument, 700);
}

TEST_F(NEventQueueTest, ClockWrapDoesNotReorderPosts)
{
    Advance(0xFFFFF000u);
    IdlePass(); // the application clock is 4096 ms before its own 32-bit wrap
    fPort.Post(NPortEvent(1), 5000); // due after the wrap
    fPort.Post(NPortEvent(2), 4000); // before it
    Advance(4001);
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "l:2" }));
    Advance(999);
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "l:2", "l:1" }));
}

} // namespace
