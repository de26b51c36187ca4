#include "platrt/window.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct SentText {
    std::string text;
    enum class State { Pending, Done, Failed } state = State::Pending;
};

struct Window {
    std::thread::id owner;
    std::string text;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentText>> sent;
};

// One lock and one wake-up for all windows: there are only ever a few, and
// both posted messages and sent requests must wake the owner's wait.
struct Windows {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<HWND, Window> byHandle;
    HWND next = 0x10000;
};

Windows& windows()
{
    static Windows w;
    return w;
}

// Caller holds the lock.
Window* find(Windows& w, HWND hwnd)
{
    auto it = w.byHandle.find(hwnd);
    return it == w.byHandle.end() ? nullptr : &it->second;
}

// Caller holds the lock: the owner handles the requests sent to its windows.
void handleSent(Windows& w, HWND only)
{
    bool any = false;
    const auto self = std::this_thread::get_id();
    for (auto& [hwnd, window] : w.byHandle) {
        if (window.owner != self || (only != 0 && hwnd != only)) continue;
        while (!window.sent.empty()) {
            auto request = window.sent.front();
            window.sent.pop_front();
            window.text = request->text;
            request->state = SentText::State::Done;
            any = true;
        }
    }
    if (any) w.changed.notify_all();
}

// Caller holds the lock.
bool takePosted(Windows& w, MSG* msg, HWND only)
{
    const auto self = std::this_thread::get_id();
    for (auto& [hwnd, window] : w.byHandle) {
        if (window.owner != self || (only != 0 && hwnd != only) || window.posted.empty()) continue;
        *msg = window.posted.front();
        window.posted.pop_front();
        return true;
    }
    return false;
}

bool setText(HWND hwnd, const char* text, const std::atomic<std::int32_t>* abandon)
{
    auto& w = windows();
    std::unique_lock lock(w.mutex);
    Window* window = find(w, hwnd);
    if (!window) return false;
    if (window->owner == std::this_thread::get_id()) {
        window->text = text ? text : "";
        return true;
    }
    auto request = std::make_shared<SentText>();
    request->text = text ? text : "";
    window->sent.push_back(request);
    w.changed.notify_all();
    const auto answered = [&] { return request->state != SentText::State::Pending; };
    if (!abandon) {
        w.changed.wait(lock, answered);
    } else {
        // The flag is not tied to this lock, so look at it in short steps.
        while (!answered()) {
            if (abandon->load() != 0) {
                if (Window* still = find(w, hwnd)) std::erase(still->sent, request);
                return false;
            }
            w.changed.wait_for(lock, std::chrono::milliseconds(5), answered);
        }
    }
    return request->state == SentText::State::Done;
}

} // namespace

HWND CreateMessageWindow()
{
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    HWND hwnd = w.next++;
    if (w.next == 0) w.next = 0x10000;
    w.byHandle[hwnd].owner = std::this_thread::get_id();
    return hwnd;
}

bool DestroyWindow(HWND hwnd)
{
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    Window* window = find(w, hwnd);
    if (!window || window->owner != std::this_thread::get_id()) return false;
    for (auto& request : window->sent) request->state = SentText::State::Failed;
    w.byHandle.erase(hwnd);
    w.changed.notify_all();
    return true;
}

bool IsWindow(HWND hwnd)
{
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    return find(w, hwnd) != nullptr;
}

bool PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    Window* window = find(w, hwnd);
    if (!window) return false;
    window->posted.push_back({hwnd, message, wParam, lParam});
    w.changed.notify_all();
    return true;
}

bool SetWindowTextA(HWND hwnd, const char* text)
{
    return setText(hwnd, text, nullptr);
}

bool SetWindowTextAbandonable(HWND hwnd, const char* text, const std::atomic<std::int32_t>& abandon)
{
    return setText(hwnd, text, &abandon);
}

std::string GetWindowTextA(HWND hwnd)
{
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    Window* window = find(w, hwnd);
    return window ? window->text : std::string();
}

bool PeekMessageA(MSG* msg, HWND hwnd)
{
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    handleSent(w, hwnd);
    return takePosted(w, msg, hwnd);
}

bool WaitMessageA(MSG* msg, HWND hwnd, std::chrono::milliseconds timeout)
{
    auto& w = windows();
    std::unique_lock lock(w.mutex);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        handleSent(w, hwnd);
        if (takePosted(w, msg, hwnd)) return true;
        if (w.changed.wait_until(lock, deadline) == std::cv_status::timeout) {
            handleSent(w, hwnd);
            return takePosted(w, msg, hwnd);
        }
    }
}

bool HasSentMessages(HWND hwnd)
{
    auto& w = windows();
    std::lock_guard lock(w.mutex);
    Window* window = find(w, hwnd);
    return window && !window->sent.empty();
}
