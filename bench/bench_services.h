#pragma once
// The dialogs and the desktop as the window benchmarks need them: the load
// options dialog is confirmed at once, every other window is declined or
// does nothing, and there is no clipboard or document viewer.

#include "platform/desktop_services.h"
#include "platform/window_service.h"

#include <string>
#include <string_view>

namespace twinsift::bench {

class OkWindows final : public WindowService {
public:
    bool showLoadOptions() override { return true; }
    bool showSaveOptions() override { return false; }
    bool showSaveSelection() override { return false; }
    void showTools() override {}
    void showSettings() override {}
    void showAbout() override {}
    void showQuickstart() override {}
};

class NoDesktop final : public DesktopServices {
public:
    void setClipboardText(std::string_view) override {}
    std::string clipboardText() const override { return {}; }
    bool openDocument(std::string_view) override { return false; }
};

} // namespace twinsift::bench
