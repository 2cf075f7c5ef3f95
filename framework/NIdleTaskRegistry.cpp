// Idle tasks: due rules, periods, cancellation and removal that is safe inside callbacks.
#include "framework/NIdleTaskRegistry.h"

#include "framework/NAppClock.h"

#include <algorithm>

static bool sRegistryGone = false;

NIdleTask::~NIdleTask() = default;

// Entries are only flagged while callbacks run; the outermost scope erases them.
class NIdleTaskRegistry::PassScope {
public:
    explicit PassScope(NIdleTaskRegistry& registry)
        : fRegistry(registry)
    {
        ++fRegistry.fDepth;
    }
    ~PassScope()
    {
        if (--fRegistry.fDepth == 0)
            fRegistry.Compact();
    }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

private:
    NIdleTaskRegistry& fRegistry;
};

NIdleTaskRegistry& NIdleTaskRegistry::The()
{
    static NIdleTaskRegistry sRegistry;
    return sRegistry;
}

NIdleTaskRegistry* NIdleTaskRegistry::IfAlive()
{
    return sRegistryGone ? nullptr : &The();
}

NIdleTaskRegistry::~NIdleTaskRegistry()
{
    sRegistryGone = true;
}

uint32_t NIdleTaskRegistry::Add(Callback callback, void* owner, std::unique_ptr<NIdleTask> task, bool pageBound)
{
    if (!callback || !task)
        return 0;
    do {
        ++fLastId;
    } while (fLastId == 0);
    fEntries.push_back(std::unique_ptr<Entry>(new Entry { callback, owner, std::move(task), fLastId, pageBound }));
    return fLastId;
}

size_t NIdleTaskRegistry::Count() const
{
    return static_cast<size_t>(std::count_if(fEntries.begin(), fEntries.end(),
        [](const std::unique_ptr<Entry>& entry) { return entry->fId != 0 && !entry->fTask->fFinished; }));
}

bool NIdleTaskRegistry::IsDue(NIdleTask& task, uint32_t now)
{
    if (task.fNextDue == 0)
        return true;
    // Compared as a signed distance, so that a due time just past a wrap of the clock is
    // not taken for one 49 days away.
    if (static_cast<int32_t>(task.fNextDue - now) >= 0)
        return false;
    uint32_t next = task.fPeriod == 0 ? 0 : now + task.fPeriod;
    // 0 means "every pass"; a periodic due time that lands on it by wrapping moves by 1 ms.
    task.fNextDue = (task.fPeriod != 0 && next == 0) ? 1 : next;
    return true;
}

void NIdleTaskRegistry::RunDueTasks()
{
    if (fEntries.empty())
        return;
    PassScope scope(*this);
    uint32_t now = NAppClock::The().Now();
    size_t count = fEntries.size(); // tasks added by callbacks wait for the next pass
    for (size_t i = 0; i < count && i < fEntries.size(); ++i) {
        Entry& entry = *fEntries[i];
        if (entry.fId == 0 || entry.fRunning || entry.fTask->fFinished || !IsDue(*entry.fTask, now))
            continue;
        entry.fRunning = true;
        struct Running {
            Entry& fEntry;
            ~Running() { fEntry.fRunning = false; }
        } running { entry };
        entry.fCallback(entry.fOwner, *entry.fTask);
    }
}

bool NIdleTaskRegistry::NextDue(uint32_t& due) const
{
    bool found = false;
    uint32_t now = NAppClock::The().Now();
    for (const std::unique_ptr<Entry>& entry : fEntries) {
        if (entry->fId == 0 || entry->fTask->fFinished)
            continue;
        uint32_t next = entry->fTask->fNextDue;
        // Compared by signed distance from now, like IsDue, so that a wrap cannot mislead.
        if (!found || next == 0 || (due != 0 && int32_t(next - now) < int32_t(due - now)))
            due = next;
        found = true;
        if (due == 0)
            break;
    }
    return found;
}

void NIdleTaskRegistry::CancelEntry(Entry& entry)
{
    PassScope scope(*this);
    entry.fId = 0;
    NIdleTask& task = *entry.fTask;
    task.fFinished = true;
    task.fPeriod = 0;
    task.fNextDue = 0;
    // The scope keeps the record alive through the last call, even when the callback runs a
    // nested pass or cancels further tasks.
    entry.fCallback(entry.fOwner, task);
}

bool NIdleTaskRegistry::Cancel(uint32_t& taskId)
{
    if (taskId == 0)
        return false;
    auto found = std::find_if(fEntries.begin(), fEntries.end(),
        [taskId](const std::unique_ptr<Entry>& entry) { return entry->fId == taskId; });
    if (found == fEntries.end())
        return false;
    // The id may live in the owner, which the last call is free to destroy.
    taskId = 0;
    CancelEntry(**found);
    return true;
}

void NIdleTaskRegistry::CancelPageBound()
{
    PassScope scope(*this);
    size_t count = fEntries.size(); // page-bound tasks added meanwhile belong to the next page
    for (size_t i = 0; i < count && i < fEntries.size(); ++i) {
        Entry& entry = *fEntries[i];
        if (entry.fId != 0 && entry.fPageBound)
            CancelEntry(entry);
    }
}

// Only at depth 0, when no callback is running.
void NIdleTaskRegistry::Compact()
{
    std::erase_if(
        fEntries, [](const std::unique_ptr<Entry>& entry) { return entry->fId == 0 || entry->fTask->fFinished; });
}
