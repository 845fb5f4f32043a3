#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <string>
#include <vector>

#include "framework/dynlib.h"
#include "framework/thread.h"

namespace {

// Hands a number of calls to the main thread and records where they ran.
class TSyncingThread : public TThread {
    LUMORA_CLASS(TSyncingThread, TThread)
public:
    TSyncingThread(bool suspended, int calls) : TThread(suspended), calls_(calls) {}
    std::vector<int> Order;           // touched only on the main thread
    std::atomic<int> OffMainThread{0};

protected:
    void Execute() override {
        for (int i = 0; i < calls_; ++i) {
            Synchronize([this, i] {
                if (!IsMainThread()) ++OffMainThread;
                Order.push_back(i);
            });
        }
        SetReturnValue(7);
    }

private:
    int calls_;
};

class TLambdaThread : public TThread {
    LUMORA_CLASS(TLambdaThread, TThread)
public:
    TLambdaThread(bool suspended, std::function<void(TLambdaThread&)> body)
        : TThread(suspended), body_(std::move(body)) {}
    using TThread::Queue;
    using TThread::Synchronize;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TLambdaThread&)> body_;
};

std::atomic<bool> g_selfFreeingDestroyed{false};

class TSelfFreeing : public TThread {
    LUMORA_CLASS(TSelfFreeing, TThread)
public:
    TSelfFreeing() : TThread(true) { SetFreeOnTerminate(true); }
    ~TSelfFreeing() override { g_selfFreeingDestroyed = true; }

protected:
    void Execute() override {}
};

}  // namespace

TEST(Threads, WaitForServesSynchronizedCallsAndOnTerminate) {
    std::atomic<int> wakeUps{0};
    SetWakeMainThread([&] { ++wakeUps; });
    auto* t = Create<TSyncingThread>(true, 50);
    std::vector<std::string> events;
    bool terminateOnMain = false;
    t->OnTerminate = [&](TObject* sender) {
        terminateOnMain = IsMainThread();
        events.push_back(sender == t ? "terminate" : "wrong sender");
    };
    EXPECT_TRUE(t->GetSuspended());
    // A deadlock fails the test quickly instead of hanging the run.
    TEvent done(true, false);
    std::thread watchdog([&] {
        if (done.WaitFor(20000) == wrTimeout) {
            std::fprintf(stderr, "WaitFor deadlocked\n");
            std::abort();
        }
    });
    t->Start();
    EXPECT_NE(t->GetThreadID(), MainThreadID);
    EXPECT_EQ(t->WaitFor(), 7u);  // would hang if WaitFor did not run the queued calls
    done.SetEvent();
    watchdog.join();
    SetWakeMainThread(nullptr);

    ASSERT_EQ(t->Order.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(t->Order[i], i);
    EXPECT_EQ(t->OffMainThread, 0);
    EXPECT_EQ(events, std::vector<std::string>{"terminate"});
    EXPECT_TRUE(terminateOnMain);
    EXPECT_TRUE(t->GetFinished());
    EXPECT_GE(wakeUps, 51);  // every call and OnTerminate woke the loop
    t->Free();
}

TEST(Threads, SynchronizedExceptionsReachTheWorker) {
    std::string caught;
    auto* t = Create<TLambdaThread>(false, [&](TLambdaThread& self) {
        try {
            self.Synchronize([] { throw EAbort("stop here"); });
        } catch (const EAbort& e) {
            caught = e.Message;
        }
        throw EThread("Execute failed");
    });
    t->WaitFor();
    EXPECT_EQ(caught, "stop here");
    ASSERT_TRUE(t->GetFatalException());
    try {
        std::rethrow_exception(t->GetFatalException());
    } catch (const EThread& e) {
        EXPECT_EQ(e.Message, "Execute failed");
    }
    t->Free();
}

TEST(Threads, QueuedCallsRunInOrderAndCanBeDropped) {
    std::vector<int> ran;
    TEvent queued(true, false);
    auto* t = Create<TLambdaThread>(false, [&](TLambdaThread& self) {
        for (int i = 0; i < 3; ++i) self.Queue([&ran, i] { ran.push_back(i); });
        self.Queue([] { throw EAbort("queued failure"); });
        self.Queue([&ran] { ran.push_back(99); });
        queued.SetEvent();
    });
    ASSERT_EQ(queued.WaitFor(5000), wrSignaled);
    EXPECT_THROW(CheckSynchronize(), EAbort);
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(CheckSynchronize());  // the call after the failing one stayed queued
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 99}));
    EXPECT_FALSE(CheckSynchronize());
    t->WaitFor();
    t->Free();

    // Calls dropped for their thread never run.
    TEvent done(true, false);
    auto* u = Create<TLambdaThread>(false, [&](TLambdaThread& self) {
        self.Queue([&ran] { ran.push_back(-1); });
        done.SetEvent();
    });
    ASSERT_EQ(done.WaitFor(5000), wrSignaled);
    TThread::RemoveQueuedEvents(u);
    EXPECT_FALSE(CheckSynchronize());
    u->Free();
    EXPECT_EQ(ran.back(), 99);
}

TEST(Threads, WaitForRaisesAQueuedFailureOnlyAfterTheThreadEnded) {
    bool synced = false;
    auto* t = Create<TLambdaThread>(false, [&](TLambdaThread& self) {
        self.Queue([] { throw EAbort("queued failure"); });
        self.Synchronize([&] { synced = true; });  // needs the main thread to go on serving
    });
    EXPECT_THROW(t->WaitFor(), EAbort);
    EXPECT_TRUE(synced);
    EXPECT_TRUE(t->GetFinished());
    t->Free();
}

TEST(Threads, FreeTerminatesAndFreeOnTerminateFreesItself) {
    std::atomic<int> loops{0};
    auto* t = Create<TLambdaThread>(false, [&](TLambdaThread& self) {
        while (!self.GetTerminated()) {
            ++loops;
            Sleep(1);
        }
    });
    while (loops == 0) Sleep(1);
    t->Free();  // terminates the loop and waits for it
    EXPECT_GT(loops, 0);

    g_selfFreeingDestroyed = false;
    auto* s = Create<TSelfFreeing>();
    bool terminated = false;
    s->OnTerminate = [&](TObject*) { terminated = true; };
    s->Start();
    for (int i = 0; i < 5000 && !g_selfFreeingDestroyed; ++i) CheckSynchronize(1);
    EXPECT_TRUE(terminated);
    EXPECT_TRUE(g_selfFreeingDestroyed);
}

TEST(Threads, MisuseRaises) {
    auto* t = Create<TLambdaThread>(true, [](TLambdaThread&) {});
    EXPECT_THROW(t->WaitFor(), EThread);  // never started
    t->Start();
    EXPECT_THROW(t->Start(), EThread);
    t->WaitFor();
    t->Free();

    std::string message;
    auto* u = Create<TLambdaThread>(false, [&](TLambdaThread& self) {
        try {
            CheckSynchronize();
        } catch (const EThread& e) {
            message = e.Message;
        }
        try {
            self.WaitFor();
        } catch (const EThread& e) {
            message += " / " + e.Message;
        }
    });
    u->WaitFor();
    u->Free();
    EXPECT_EQ(message, "CheckSynchronize called from a thread that is not the main thread / "
                       "A thread cannot wait for itself");
}

TEST(Threads, EventsAndCriticalSections) {
    TEvent manual(true, false);
    EXPECT_EQ(manual.WaitFor(0), wrTimeout);
    manual.SetEvent();
    EXPECT_EQ(manual.WaitFor(0), wrSignaled);
    EXPECT_EQ(manual.WaitFor(0), wrSignaled);  // stays signalled
    manual.ResetEvent();
    EXPECT_EQ(manual.WaitFor(10), wrTimeout);

    // An auto-reset event releases exactly one of two waiters per signal.
    TEvent autoReset(false, false);
    std::atomic<int> released{0};
    auto waiter = [&](TLambdaThread&) {
        if (autoReset.WaitFor(3000) == wrSignaled) ++released;
    };
    auto* a = Create<TLambdaThread>(false, waiter);
    auto* b = Create<TLambdaThread>(false, waiter);
    Sleep(20);
    autoReset.SetEvent();
    for (int i = 0; i < 500 && released == 0; ++i) Sleep(1);
    Sleep(20);
    EXPECT_EQ(released, 1);
    autoReset.SetEvent();
    a->WaitFor();
    b->WaitFor();
    EXPECT_EQ(released, 2);
    a->Free();
    b->Free();

    TCriticalSection cs;
    cs.Enter();
    cs.Enter();  // recursive
    bool otherGotIt = true;
    auto* c = Create<TLambdaThread>(false, [&](TLambdaThread&) { otherGotIt = cs.TryEnter(); });
    c->WaitFor();
    c->Free();
    EXPECT_FALSE(otherGotIt);
    cs.Leave();
    cs.Leave();
    EXPECT_TRUE(cs.TryEnter());
    cs.Leave();
}
