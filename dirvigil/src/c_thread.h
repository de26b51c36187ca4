#pragma once
// One worker thread, created suspended and started with DoResume.

#include <cstdint>
#include <memory>

namespace Dirvigil {

using ThreadProc = std::uint32_t (*)(void* arg);

class cThread {
public:
    cThread() = default;
    ~cThread();
    cThread(const cThread&) = delete;
    cThread& operator=(const cThread&) = delete;

    bool Create(ThreadProc pFun, void* pArg);
    void DoResume();
    // Waits up to 2000 ms; true when the thread has ended.
    bool WaitForDeath();
    // The last resort for a thread that would not end.
    void Kill();

private:
#ifdef _WIN32
    void* handle_ = nullptr;
    unsigned long id_ = 0;
#else
    struct State;
    std::shared_ptr<State> state_;
#endif
};

} // namespace Dirvigil
