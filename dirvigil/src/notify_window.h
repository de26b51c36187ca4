#pragma once
// The notification a watcher sends for one change: the window's text becomes
// the folder path (synchronously), then a space key-down is posted to it.

#include <atomic>
#include <cstdint>
#include <string>

namespace Dirvigil {

// A window that does not exist makes both steps fail silently. The text step
// waits for the window's thread but gives up once *stop is raised, so that a
// client stopping the watcher from that very thread never deadlocks with it.
void NotifyWindow(std::uint32_t hwnd, const std::string& text, const std::atomic<std::int32_t>& stop);

} // namespace Dirvigil
