#pragma once

class RootObject;

// Windows close themselves from inside their own notifications while the control, panel or
// scene that called them still runs. Their Close detaches them at once and hands the objects
// here; they are deleted when the outermost message or frame that is running has finished.

// Queues the object for deletion (once, however often it is handed in). Null is ignored.
void DeferDelete(RootObject* object);
// Forgets a queued object that is being deleted by other means.
void CancelDeferredDelete(RootObject* object);
// Deletes every queued object, including those queued by the deletions themselves, unless a
// message or frame is still running.
void FlushDeferredDeletes();
// Objects waiting for deletion.
int PendingDeleteCount();

// Marks the extent of a message or frame: leaving the outermost scope flushes the queue.
class DeferredDeleteScope {
public:
    DeferredDeleteScope();
    ~DeferredDeleteScope();
    DeferredDeleteScope(const DeferredDeleteScope&) = delete;
    DeferredDeleteScope& operator=(const DeferredDeleteScope&) = delete;
};
