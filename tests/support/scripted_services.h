#pragma once
// Scripted file dialogs and program windows, for driving the desktop program
// without a modal loop: every dialog is answered from a script and recorded.

#include "platform/command_port.h"
#include "platform/window_service.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace twinsift::test {

class ScriptedFiles final : public FileDialogPort {
public:
    std::deque<std::string> opens; // answers of the open dialog, then cancelled
    std::deque<std::string> saves; // answers of the save dialog, then cancelled
    std::vector<FileDialogRequest> openRequests, saveRequests;

    std::string openFileDialog(const FileDialogRequest& r) override {
        openRequests.push_back(r);
        return next(opens);
    }
    std::string saveFileDialog(const FileDialogRequest& r) override {
        saveRequests.push_back(r);
        return next(saves);
    }

private:
    static std::string next(std::deque<std::string>& q) {
        if (q.empty()) return {};
        std::string s = std::move(q.front());
        q.pop_front();
        return s;
    }
};

// Each window runs its hook (which may act as the user would in it) and
// counts how often it was shown; a dialog without a hook is closed with Ok.
class ScriptedWindows final : public WindowService {
public:
    std::function<bool()> onLoadOptions, onSaveOptions, onSaveSelection;
    std::function<void()> onTools, onSettings, onAbout, onQuickstart;
    int loadOptions = 0, saveOptions = 0, saveSelection = 0, tools = 0, settings = 0, about = 0, quickstart = 0;

    bool showLoadOptions() override { return ask(loadOptions, onLoadOptions); }
    bool showSaveOptions() override { return ask(saveOptions, onSaveOptions); }
    bool showSaveSelection() override { return ask(saveSelection, onSaveSelection); }
    void showTools() override { show(tools, onTools); }
    void showSettings() override { show(settings, onSettings); }
    void showAbout() override { show(about, onAbout); }
    void showQuickstart() override { show(quickstart, onQuickstart); }

private:
    static bool ask(int& count, const std::function<bool()>& hook) {
        ++count;
        return hook ? hook() : true;
    }
    static void show(int& count, const std::function<void()>& hook) {
        ++count;
        if (hook) hook();
    }
};

} // namespace twinsift::test
