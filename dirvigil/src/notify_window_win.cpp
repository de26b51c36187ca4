#include "notify_window.h"

#include "dirvigil/dirvigil.h"

#include <windows.h>

namespace Dirvigil {

void NotifyWindow(std::uint32_t hwnd, const std::string& text, const std::atomic<std::int32_t>& stop)
{
    const HWND target = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(hwnd));
    // A sent message that timed out may still be handled later, so its text
    // must stay valid: the copy goes only once a later send has come back,
    // which means every earlier one was handled first.
    auto* copy = new std::string(text);
    for (;;) {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutA(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy->c_str()), SMTO_NORMAL, 50,
                                &result))
            break;
        if (!IsWindow(target)) break;
        if (stop.load() != 0) return; // the copy is left to a message that may still arrive
    }
    delete copy;
    PostMessageA(target, kNotifyMessage, kNotifyKey, kNotifyKeyData);
}

} // namespace Dirvigil
