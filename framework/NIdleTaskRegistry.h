// The idle-task registry: background work called back from every idle pass.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

/// The state record of one task, owned by the registry. Owners derive their own state from
/// it; the callback finds it again through the reference it is given.
struct NIdleTask {
    uint32_t fNextDue = 0;    // clock time of the next run; 0: due on every pass
    bool fFinished = false;   // set by the callback; the task is removed after the pass
    uint32_t fPeriod = 0;     // milliseconds between runs; 0: no repetition

    virtual ~NIdleTask();
};

/// A task is due when its next due time is 0, or when that time is already earlier than
/// the clock; it then becomes now + period (or 0 without a period, so that the task runs on
/// every pass from then on). Callbacks may add and cancel tasks, themselves included.
class NIdleTaskRegistry {
public:
    using Callback = void (*)(void* owner, NIdleTask& task);

    static NIdleTaskRegistry& The();
    /// The registry, or nullptr once it has been destroyed at exit.
    static NIdleTaskRegistry* IfAlive();

    /// Takes the record over; answers the new task's id (the first is 1), or 0 without a
    /// callback or a record.
    uint32_t Add(Callback callback, void* owner, std::unique_ptr<NIdleTask> task, bool pageBound = false);
    /// Marks the task finished with period and due time 0, calls it one last time and
    /// removes it; sets the id to 0 (before that last call). False for an unknown id.
    bool Cancel(uint32_t& taskId);
    /// One idle pass over the tasks that existed when it began.
    void RunDueTasks();
    /// Cancels every task added as page-bound; a page does this when it is left.
    void CancelPageBound();

    /// The earliest next due time of the live tasks (0 when one runs on every pass); false
    /// without tasks. A task is run once the clock is past its due time.
    bool NextDue(uint32_t& due) const;

    /// Tasks not yet cancelled or removed.
    size_t Count() const;
    bool IsEmpty() const { return fEntries.empty(); }

    ~NIdleTaskRegistry();
    NIdleTaskRegistry(const NIdleTaskRegistry&) = delete;
    NIdleTaskRegistry& operator=(const NIdleTaskRegistry&) = delete;

private:
    struct Entry {
        Callback fCallback;
        void* fOwner;
        std::unique_ptr<NIdleTask> fTask;
        uint32_t fId;          // 0 once cancelled
        bool fPageBound;
        bool fRunning = false;  // inside its callback: a nested pass does not run it again
    };
    class PassScope;

    NIdleTaskRegistry() = default;
    static bool IsDue(NIdleTask& task, uint32_t now);
    void CancelEntry(Entry& entry);
    void Compact();

    std::vector<std::unique_ptr<Entry>> fEntries;
    uint32_t fLastId = 0;
    int32_t fDepth = 0;   // passes and cancellations under way; entries are erased only at 0
};
