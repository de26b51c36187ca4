#pragma once
// The smallest message-window layer a change-notification client needs: a
// window is a 32-bit handle owned by the thread that created it, with a text
// and a queue of posted messages that only the owner reads. Setting the text
// from another thread is synchronous, like the platform's sent messages: it
// returns once the owner has handled it, which the owner does whenever it
// looks at its queue.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

using HWND = std::uint32_t;
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

inline constexpr UINT WM_KEYDOWN = 0x0100;

struct MSG {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// A new window owned by the calling thread; 0 never names a window.
HWND CreateMessageWindow();
// Only the owner may destroy it. Senders still waiting are released with failure.
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);

bool PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the text; from a foreign thread it waits until the owner has handled
// it. False when the window does not exist or went away meanwhile.
bool SetWindowTextA(HWND hwnd, const char* text);
// The same, but gives up (and withdraws the request) as soon as *abandon
// becomes non-zero, so that a sender never outlives the reason it had to send.
bool SetWindowTextAbandonable(HWND hwnd, const char* text, const std::atomic<std::int32_t>& abandon);
std::string GetWindowTextA(HWND hwnd);

// Owner only: handles pending sent requests, then takes the oldest posted
// message of hwnd (0: any window of the thread). PeekMessage never waits;
// WaitMessage waits up to `timeout` for a posted message.
bool PeekMessageA(MSG* msg, HWND hwnd);
bool WaitMessageA(MSG* msg, HWND hwnd, std::chrono::milliseconds timeout);
// True while another thread waits for the window's owner to handle its request.
bool HasSentMessages(HWND hwnd);
