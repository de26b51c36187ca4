#include "c_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace Dirvigil {

struct cThread::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool resumed = false;
    bool abandoned = false; // released before it was ever resumed
    bool ended = false;
    std::thread thread;
};

bool cThread::Create(ThreadProc pFun, void* pArg)
{
    if (state_) return false;
    auto state = std::make_shared<State>();
    // The thread keeps the state alive itself: after Kill nobody else may.
    state->thread = std::thread([state, pFun, pArg] {
        {
            std::unique_lock lock(state->mutex);
            state->changed.wait(lock, [&] { return state->resumed || state->abandoned; });
            if (state->abandoned) return;
        }
        pFun(pArg);
        std::lock_guard lock(state->mutex);
        state->ended = true;
        state->changed.notify_all();
    });
    state_ = std::move(state);
    return true;
}

void cThread::DoResume()
{
    if (!state_) return;
    std::lock_guard lock(state_->mutex);
    state_->resumed = true;
    state_->changed.notify_all();
}

bool cThread::WaitForDeath()
{
    if (!state_) return true;
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, std::chrono::milliseconds(2000), [&] { return state_->ended; });
}

void cThread::Kill()
{
    // This platform offers no safe way to end another thread. The thread is
    // let go instead: it holds its own reference to everything it touches,
    // so it can finish whenever it gets unstuck.
    if (state_ && state_->thread.joinable()) state_->thread.detach();
}

cThread::~cThread()
{
    if (!state_ || !state_->thread.joinable()) return;
    bool join = false;
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->resumed) {
            state_->abandoned = true;
            state_->changed.notify_all();
            join = true;
        } else {
            join = state_->ended;
        }
    }
    if (join)
        state_->thread.join();
    else
        state_->thread.detach();
}

} // namespace Dirvigil
