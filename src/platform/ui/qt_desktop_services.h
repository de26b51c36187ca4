#pragma once
// The clipboard and the desktop's default handler through Qt.

#include "platform/desktop_services.h"

namespace twinsift {

class QtDesktopServices final : public DesktopServices {
public:
    void setClipboardText(std::string_view text) override;
    std::string clipboardText() const override;
    // A web address opens in the browser, anything else is taken as a path.
    bool openDocument(std::string_view pathOrUrl) override;
};

} // namespace twinsift
