#pragma once
// Services of the desktop that a command may use: the clipboard and opening a
// document or web page with the desktop's default handler. The Qt program
// implements them for real; tests use a recording double, so no test touches
// the user's clipboard or starts a browser.

#include <string>
#include <string_view>

namespace twinsift {

class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // Puts plain text on the clipboard.
    virtual void setClipboardText(std::string_view text) = 0;
    virtual std::string clipboardText() const = 0;
    // Opens a local file (a path) or a web address with the desktop's default
    // handler; false when nothing could be opened. Failures are never reported
    // to the user, so the caller may ignore the answer.
    virtual bool openDocument(std::string_view pathOrUrl) = 0;
};

} // namespace twinsift
