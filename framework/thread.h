#pragma once
// Threads and synchronisation objects.
//
// Calls that a worker thread hands to the user-interface (main) thread go through one queue.
// The main thread runs them when it calls CheckSynchronize: the message loop does so whenever
// the wake-up callback fires (SetWakeMainThread) and on every idle turn; TThread::WaitFor on the
// main thread does so while it waits, so a thread that calls Synchronize can always finish.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "framework/object.h"

using TThreadMethod = std::function<void()>;
using TThreadID = LongWord;

constexpr LongWord INFINITE = 0xFFFFFFFF;

// The kernel id of the calling thread, and of the main thread (the one that started the
// program).
TThreadID GetCurrentThreadId();
extern const TThreadID MainThreadID;
bool IsMainThread();

// Runs the calls queued for the main thread, one after another, including calls queued while it
// runs. When none is pending it first waits up to Timeout milliseconds for one. Answers whether
// it ran any. Must be called on the main thread (EThread otherwise). An exception raised by a
// queued call (not a synchronised one, whose caller receives it) leaves CheckSynchronize; the
// calls still waiting stay queued.
bool CheckSynchronize(Integer Timeout = 0);
// Called on the queuing thread each time a call is queued for the main thread; the message loop
// registers a callback that wakes it. An empty function removes it.
void SetWakeMainThread(std::function<void()> WakeUp);

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A thread object. Derive, override Execute, and create it with Create<T>(CreateSuspended):
// the thread starts after construction (in AfterConstruction) unless created suspended, in which
// case Start or Resume starts it. Destroy it with Free() (which terminates it and waits for it),
// or set FreeOnTerminate so that it frees itself when Execute ends.
class TThread : public TObject {
    LUMORA_CLASS(TThread, TObject)
public:
    explicit TThread(bool CreateSuspended);
    ~TThread() override;

    void AfterConstruction() override;
    void BeforeDestruction() override;

    // Starts a thread that was created suspended; EThread "Thread already started" when it runs.
    void Start();
    void Resume() { Start(); }
    // Asks Execute to stop: sets Terminated.
    void Terminate();
    // Waits until the thread has ended and answers its ReturnValue. On the main thread it keeps
    // running the queued calls meanwhile; the first exception a queued call raises there is
    // raised again once the thread has ended. EThread when the thread waits for itself or was
    // never started.
    LongWord WaitFor();

    bool GetTerminated() const { return terminated_.load(); }
    bool GetFinished() const { return finished_.load(); }
    bool GetSuspended() const;
    bool GetFreeOnTerminate() const { return freeOnTerminate_.load(); }
    void SetFreeOnTerminate(bool Value) { freeOnTerminate_ = Value; }
    TThreadPriority GetPriority() const { return priority_; }
    void SetPriority(TThreadPriority Value) { priority_ = Value; }
    TThreadID GetThreadID() const;
    LongWord GetReturnValue() const { return returnValue_.load(); }
    // The exception that ended Execute, if any.
    std::exception_ptr GetFatalException() const { return fatalException_; }

    // Runs on the main thread after Execute has ended (Sender is the thread).
    TNotifyEvent OnTerminate;

    // Runs Method on the main thread and waits for it; an exception it raises is raised again in
    // the caller. On the main thread Method runs at once.
    static void Synchronize(TThread* AThread, TThreadMethod Method);
    // Queues Method for the main thread without waiting (runs at once on the main thread).
    static void Queue(TThread* AThread, TThreadMethod Method);
    // Drops the queued (not yet run, not synchronised) calls of AThread.
    static void RemoveQueuedEvents(TThread* AThread);
    // The TThread object running the calling code, null outside one.
    static TThread* CurrentThread();

protected:
    virtual void Execute() = 0;
    // Calls OnTerminate through Synchronize when it is assigned.
    virtual void DoTerminate();
    void Synchronize(TThreadMethod Method) { Synchronize(this, std::move(Method)); }
    void Queue(TThreadMethod Method) { Queue(this, std::move(Method)); }
    void SetReturnValue(LongWord Value) { returnValue_ = Value; }

private:
    void Run();

    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable startedCv_;
    bool createSuspended_;
    bool started_ = false;
    bool exited_ = false;  // guarded by the main-thread queue's mutex
    TThreadID threadId_ = 0;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> freeOnTerminate_{false};
    std::atomic<LongWord> returnValue_{0};
    TThreadPriority priority_ = tpNormal;
    std::exception_ptr fatalException_;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

class TSynchroObject : public TObject {
    LUMORA_CLASS(TSynchroObject, TObject)
public:
    virtual void Acquire() {}
    virtual void Release() {}
};

// A recursive lock: the owning thread may enter it again.
class TCriticalSection : public TSynchroObject {
    LUMORA_CLASS(TCriticalSection, TSynchroObject)
public:
    void Acquire() override { mutex_.lock(); }
    void Release() override { mutex_.unlock(); }
    void Enter() { Acquire(); }
    void Leave() { Release(); }
    bool TryEnter() { return mutex_.try_lock(); }

private:
    std::recursive_mutex mutex_;
};

// An event: manual-reset events stay signalled until reset; auto-reset ones release one waiter
// and reset themselves. The name is accepted for compatibility and not shared between processes.
class TEvent : public TSynchroObject {
    LUMORA_CLASS(TEvent, TSynchroObject)
public:
    TEvent() : TEvent(true, false) {}
    TEvent(bool ManualReset, bool InitialState, const std::string& Name = "");

    void SetEvent();
    void ResetEvent();
    // Waits until the event is signalled or Timeout milliseconds have passed (INFINITE: no limit).
    TWaitResult WaitFor(LongWord Timeout = INFINITE);
    void Acquire() override { WaitFor(INFINITE); }
    void Release() override { SetEvent(); }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool manualReset_;
    bool signalled_;
};

// A manual-reset event that starts unsignalled.
class TSimpleEvent : public TEvent {
    LUMORA_CLASS(TSimpleEvent, TEvent)
public:
    TSimpleEvent() : TEvent(true, false) {}
};
