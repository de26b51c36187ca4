#include "notify_window.h"

#include "dirvigil/dirvigil.h"

#include <platrt/window.h>

namespace Dirvigil {

void NotifyWindow(std::uint32_t hwnd, const std::string& text, const std::atomic<std::int32_t>& stop)
{
    if (!SetWindowTextAbandonable(hwnd, text.c_str(), stop) && stop.load() != 0) return;
    PostMessageA(hwnd, kNotifyMessage, kNotifyKey, kNotifyKeyData);
}

} // namespace Dirvigil
