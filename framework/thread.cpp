#include "framework/thread.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <memory>

namespace {

// One call handed to the main thread.
struct QueuedCall {
    TThreadMethod Method;
    TThread* Thread = nullptr;
    bool Synchronous = false;
    bool Done = false;
    std::exception_ptr Error;
};

// The main-thread queue. The same mutex and condition variable also carry the end of every
// thread, so that WaitFor on the main thread wakes for either.
struct MainQueue {
    std::mutex Mutex;
    std::condition_variable Cv;
    std::deque<std::shared_ptr<QueuedCall>> Calls;
    std::mutex WakeMutex;
    std::function<void()> WakeUp;
};

MainQueue& MainThreadQueue() {
    static MainQueue* q = new MainQueue;  // never destroyed: threads may outlive static teardown
    return *q;
}

thread_local TThread* t_currentThread = nullptr;

void Post(const std::shared_ptr<QueuedCall>& call) {
    MainQueue& q = MainThreadQueue();
    {
        std::lock_guard<std::mutex> lock(q.Mutex);
        q.Calls.push_back(call);
    }
    q.Cv.notify_all();
    std::function<void()> wake;
    {
        std::lock_guard<std::mutex> lock(q.WakeMutex);
        wake = q.WakeUp;
    }
    if (wake) wake();
}

// Runs the queued calls; the caller holds no lock. Answers whether any ran.
bool RunPending() {
    MainQueue& q = MainThreadQueue();
    bool ran = false;
    for (;;) {
        std::shared_ptr<QueuedCall> call;
        {
            std::lock_guard<std::mutex> lock(q.Mutex);
            if (q.Calls.empty()) break;
            call = q.Calls.front();
            q.Calls.pop_front();
        }
        ran = true;
        if (!call->Synchronous) {
            call->Method();  // an exception leaves CheckSynchronize
            continue;
        }
        try {
            call->Method();
        } catch (...) {
            call->Error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(q.Mutex);
            call->Done = true;
            call.reset();  // the waiting thread owns what is left, its exception included
        }
        q.Cv.notify_all();
    }
    return ran;
}

}  // namespace

TThreadID GetCurrentThreadId() {
    return static_cast<TThreadID>(::syscall(SYS_gettid));
}

const TThreadID MainThreadID = GetCurrentThreadId();

bool IsMainThread() {
    return GetCurrentThreadId() == MainThreadID;
}

void SetWakeMainThread(std::function<void()> WakeUp) {
    MainQueue& q = MainThreadQueue();
    std::lock_guard<std::mutex> lock(q.WakeMutex);
    q.WakeUp = std::move(WakeUp);
}

bool CheckSynchronize(Integer Timeout) {
    if (!IsMainThread()) throw EThread("CheckSynchronize called from a thread that is not the main thread");
    if (RunPending()) return true;
    if (Timeout <= 0) return false;
    MainQueue& q = MainThreadQueue();
    {
        std::unique_lock<std::mutex> lock(q.Mutex);
        q.Cv.wait_for(lock, std::chrono::milliseconds(Timeout), [&] { return !q.Calls.empty(); });
    }
    return RunPending();
}

// ---- TThread -----------------------------------------------------------------------------------

TThread::TThread(bool CreateSuspended) : createSuspended_(CreateSuspended) {}

TThread::~TThread() {
    if (thread_.joinable()) {
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();  // freeing itself at the end of Execute
        else
            thread_.join();
    }
    RemoveQueuedEvents(this);
}

void TThread::AfterConstruction() {
    if (!createSuspended_) Start();
}

void TThread::BeforeDestruction() {
    bool running;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running = started_;
    }
    if (running && CurrentThread() != this) {
        Terminate();
        WaitFor();
    }
}

void TThread::Start() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (started_) throw EThread("Thread already started");
    started_ = true;
    thread_ = std::thread([this] { Run(); });
    startedCv_.wait(lock, [this] { return threadId_ != 0; });
}

bool TThread::GetSuspended() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !started_;
}

TThreadID TThread::GetThreadID() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return threadId_;
}

void TThread::Terminate() {
    terminated_ = true;
}

void TThread::Run() {
    t_currentThread = this;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        threadId_ = GetCurrentThreadId();
    }
    startedCv_.notify_all();
    try {
        if (!terminated_) Execute();
    } catch (...) {
        fatalException_ = std::current_exception();
    }
    bool freeIt = freeOnTerminate_;
    finished_ = true;
    try {
        DoTerminate();
    } catch (...) {
        if (!fatalException_) fatalException_ = std::current_exception();
    }
    MainQueue& q = MainThreadQueue();
    {
        std::lock_guard<std::mutex> lock(q.Mutex);
        exited_ = true;
    }
    q.Cv.notify_all();
    if (freeIt) Free();  // still marked as the current thread, so it does not wait for itself
    t_currentThread = nullptr;
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

LongWord TThread::WaitFor() {
    if (CurrentThread() == this) throw EThread("A thread cannot wait for itself");
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!started_) throw EThread("Cannot wait for a thread that was never started");
    }
    MainQueue& q = MainThreadQueue();
    const bool mainThread = IsMainThread();
    std::exception_ptr queuedError;
    std::unique_lock<std::mutex> lock(q.Mutex);
    while (!exited_) {
        if (mainThread && !q.Calls.empty()) {
            lock.unlock();
            try {
                RunPending();
            } catch (...) {
                if (!queuedError) queuedError = std::current_exception();
            }
            lock.lock();
            continue;
        }
        q.Cv.wait(lock, [&] { return exited_ || (mainThread && !q.Calls.empty()); });
    }
    lock.unlock();
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (thread_.joinable()) thread_.join();
    }
    if (queuedError) std::rethrow_exception(queuedError);
    return returnValue_;
}

namespace {

// Hands Method to the main thread; on the main thread itself it runs at once and nothing is
// queued (null).
std::shared_ptr<QueuedCall> HandToMainThread(TThread* thread, TThreadMethod& method, bool synchronous) {
    if (IsMainThread()) {
        method();
        return nullptr;
    }
    auto call = std::make_shared<QueuedCall>();
    call->Method = std::move(method);
    call->Thread = thread;
    call->Synchronous = synchronous;
    Post(call);
    return call;
}

}  // namespace

void TThread::Synchronize(TThread* AThread, TThreadMethod Method) {
    std::shared_ptr<QueuedCall> call = HandToMainThread(AThread, Method, true);
    if (!call) return;
    MainQueue& q = MainThreadQueue();
    {
        std::unique_lock<std::mutex> lock(q.Mutex);
        q.Cv.wait(lock, [&] { return call->Done; });
    }
    if (call->Error) std::rethrow_exception(call->Error);
}

void TThread::Queue(TThread* AThread, TThreadMethod Method) {
    HandToMainThread(AThread, Method, false);
}

void TThread::RemoveQueuedEvents(TThread* AThread) {
    MainQueue& q = MainThreadQueue();
    std::lock_guard<std::mutex> lock(q.Mutex);
    std::erase_if(q.Calls,
                  [&](const std::shared_ptr<QueuedCall>& c) { return !c->Synchronous && c->Thread == AThread; });
}

TThread* TThread::CurrentThread() {
    return t_currentThread;
}

// ---- events ------------------------------------------------------------------------------------

TEvent::TEvent(bool ManualReset, bool InitialState, const std::string& Name)
    : manualReset_(ManualReset), signalled_(InitialState) {}

void TEvent::SetEvent() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = true;
    }
    if (manualReset_)
        cv_.notify_all();
    else
        cv_.notify_one();
}

void TEvent::ResetEvent() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
}

TWaitResult TEvent::WaitFor(LongWord Timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return signalled_; };
    if (Timeout == INFINITE)
        cv_.wait(lock, ready);
    else if (!cv_.wait_for(lock, std::chrono::milliseconds(Timeout), ready))
        return wrTimeout;
    if (!manualReset_) signalled_ = false;
    return wrSignaled;
}
