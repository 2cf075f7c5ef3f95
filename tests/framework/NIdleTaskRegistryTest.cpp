// Idle tasks: due rules, periods, finishing, cancellation and page-bound tasks.
#include "framework/NIdleTaskRegistry.h"

#include "tests/framework/NEventTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A task whose callback logs "name@clock" (or "name!" for the last call) and runs an action.
struct LoggedTask : NIdleTask {
    LoggedTask(NEventLog& log, std::string name)
        : fLog(log)
        , fName(std::move(name))
    {
    }
    NEventLog& fLog;
    std::string fName;
    std::function<void(LoggedTask&)> fAction;
};

void RunLogged(void* owner, NIdleTask& task)
{
    auto& logged = static_cast<LoggedTask&>(task);
    EXPECT_EQ(owner, &logged.fLog);
    logged.fLog.push_back(logged.fName + (logged.fFinished ? "!" : "@" + std::to_string(NAppClock::The().Now())));
    if (logged.fAction)
        logged.fAction(logged);
}

class NIdleTaskRegistryTest : public NEventTest {
protected:
    ~NIdleTaskRegistryTest() override
    {
        for (uint32_t& id : fIds)
            NIdleTaskRegistry::The().Cancel(id);
        NIdleTaskRegistry::The().RunDueTasks();
    }

    LoggedTask* Add(const std::string& name, uint32_t nextDue, uint32_t period, bool pageBound = false)
    {
        auto task = std::make_unique<LoggedTask>(fLog, name);
        task->fNextDue = nextDue;
        task->fPeriod = period;
        LoggedTask* raw = task.get();
        fIds.push_back(NIdleTaskRegistry::The().Add(RunLogged, &fLog, std::move(task), pageBound));
        return raw;
    }

    NIdleTaskRegistry& fTasks = NIdleTaskRegistry::The();
    NEventLog fLog;
    std::vector<uint32_t> fIds;
};

TEST_F(NIdleTaskRegistryTest, DueRulesAndPeriods)
{
    Advance(100);
    Add("always", 0, 0);
    Add("periodic", 150, 40);
    Add("once", 120, 0); // then due 0: every pass from there on
    IdlePass(); // 100
    Advance(20);
    IdlePass(); // 120: "once" is not yet earlier than now
    Advance(1);
    IdlePass(); // 121
    Advance(30);
    IdlePass(); // 151: periodic runs, next at 191
    Advance(40);
    IdlePass(); // 191: not yet
    Advance(1);
    IdlePass(); // 192
    EXPECT_EQ(fLog,
        (NEventLog { "always@100", "always@120", "always@121", "once@121", "always@151", "periodic@151", "once@151",
            "always@191", "once@191", "always@192", "periodic@192", "once@192" }));
}

TEST_F(NIdleTaskRegistryTest, DueTimesCompareAcrossTheClockWrap)
{
    Advance(0xFFFFFF00u);
    IdlePass();
    uint32_t now = NAppClock::The().Now();
    LoggedTask* task = Add("t", now + 0x80, 0x100); // wraps past 0
    Advance(0x80);
    IdlePass();
    EXPECT_TRUE(fLog.empty());
    Advance(1);
    IdlePass();
    EXPECT_EQ(fLog.size(), 1u);
    EXPECT_EQ(task->fNextDue, now + 0x81 + 0x100); // past the wrap, a small number
    Advance(1);
    IdlePass();
    EXPECT_EQ(fLog.size(), 1u);
}

TEST_F(NIdleTaskRegistryTest, FinishedTasksAreRemovedAfterThePassWithoutALastCall)
{
    LoggedTask* task = Add("t", 0, 0);
    task->fAction = [](LoggedTask& self) { self.fFinished = true; };
    EXPECT_EQ(fTasks.Count(), 1u);
    IdlePass();
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "t@0" }));
    EXPECT_TRUE(fTasks.IsEmpty());
}

TEST_F(NIdleTaskRegistryTest, CancelCallsOnceMoreWithTheTaskFinishedAndClearsTheId)
{
    LoggedTask* task = Add("t", 500, 30);
    uint32_t id = fIds.back();
    EXPECT_NE(id, 0u);
    task->fAction = [](LoggedTask& self) {
        EXPECT_EQ(self.fPeriod, 0u);
        EXPECT_EQ(self.fNextDue, 0u);
    };
    EXPECT_TRUE(fTasks.Cancel(id));
    EXPECT_EQ(id, 0u);
    EXPECT_FALSE(fTasks.Cancel(id));
    uint32_t stale = fIds.back();
    EXPECT_FALSE(fTasks.Cancel(stale));
    EXPECT_EQ(fLog, (NEventLog { "t!" }));
    EXPECT_TRUE(fTasks.IsEmpty());
}

TEST_F(NIdleTaskRegistryTest, TasksMayCancelThemselvesAndOthersAndAddNewOnesDuringAPass)
{
    Add("first", 0, 0);
    LoggedTask* second = Add("second", 0, 0);
    Add("third", 0, 0);
    uint32_t secondId = fIds[1];
    uint32_t thirdId = fIds[2];
    second->fAction = [&](LoggedTask& self) {
        if (self.fFinished)
            return;
        fTasks.Cancel(thirdId);
        fTasks.Cancel(secondId); // itself: the last call comes at once, the record stays until the pass ends
        EXPECT_TRUE(self.fFinished);
        Add("added", 0, 0);
    };
    IdlePass();
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "first@0", "second@0", "third!", "second!", "first@0", "added@0" }));
    EXPECT_EQ(fTasks.Count(), 2u);
}

TEST_F(NIdleTaskRegistryTest, NestedPassDoesNotReenterARunningTask)
{
    LoggedTask* outer = Add("outer", 0, 0);
    Add("other", 0, 0);
    outer->fAction = [&](LoggedTask& self) {
        if (!self.fFinished && fLog.size() == 1)
            fTasks.RunDueTasks();
    };
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "outer@0", "other@0", "other@0" }));
}

TEST_F(NIdleTaskRegistryTest, CancelPageBoundLeavesOtherTasks)
{
    Add("page", 0, 0, true);
    Add("app", 0, 0, false);
    LoggedTask* page2 = Add("page2", 0, 0, true);
    page2->fAction = [&](LoggedTask& self) {
        if (self.fFinished)
            Add("next-page", 0, 0, true); // belongs to the page being entered
    };
    fTasks.CancelPageBound();
    EXPECT_EQ(fLog, (NEventLog { "page!", "page2!" }));
    IdlePass();
    EXPECT_EQ(fLog, (NEventLog { "page!", "page2!", "app@0", "next-page@0" }));
}

TEST_F(NIdleTaskRegistryTest, LastCallMayDestroyTheOwnerHoldingTheId)
{
    struct Owner {
        uint32_t fTaskId = 0;
    };
    auto owner = std::make_unique<Owner>();
    auto task = std::make_unique<NIdleTask>();
    static std::unique_ptr<Owner>* sOwner = nullptr;
    sOwner = &owner;
    owner->fTaskId = fTasks.Add(
        [](void*, NIdleTask& t) {
            if (t.fFinished)
                sOwner->reset();
        },
        owner.get(), std::move(task));
    EXPECT_TRUE(fTasks.Cancel(owner->fTaskId));
    EXPECT_EQ(owner, nullptr);
}

TEST_F(NIdleTaskRegistryTest, AddRefusesMissingCallbackOrRecord)
{
    EXPECT_EQ(fTasks.Add(nullptr, nullptr, std::make_unique<NIdleTask>()), 0u);
    EXPECT_EQ(fTasks.Add(RunLogged, nullptr, nullptr), 0u);
    EXPECT_TRUE(fTasks.IsEmpty());
}

} // namespace
