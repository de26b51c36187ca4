#pragma once
// Test doubles of the message boxes and the desktop services: they record
// every call and answer from a script, so no test blocks on a box or opens a
// browser.

#include "platform/desktop_services.h"
#include "platform/command_port.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace twinsift::test {

class ScriptedBoxes final : public MessagePort {
public:
    struct Call {
        std::string id;
        std::string text;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        std::string title;
    };

    // Answers queued for one question; an unscripted box answers Ok (or
    // Cancel for an input box).
    void answer(const std::string& id, MsgResult result) { results_[id].push_back(result); }
    void answerInput(const std::string& id, std::string reply) { inputs_[id].push_back(std::move(reply)); }

    MsgResult messageBox(std::string_view id, std::string_view text, MsgIcon icon, MsgButtons buttons,
                         std::string_view title) override {
        calls.push_back({std::string(id), std::string(text), icon, buttons, std::string(title)});
        auto& queue = results_[std::string(id)];
        if (queue.empty()) return MsgResult::Ok;
        const MsgResult r = queue.front();
        queue.pop_front();
        return r;
    }
    std::optional<std::string> inputBox(std::string_view id, std::string_view prompt, std::string_view title,
                                        std::string_view /*defaultText*/) override {
        calls.push_back({std::string(id), std::string(prompt), MsgIcon::None, MsgButtons::OkCancel, std::string(title)});
        auto& queue = inputs_[std::string(id)];
        if (queue.empty()) return std::nullopt;
        std::string reply = queue.front();
        queue.pop_front();
        return reply;
    }

    std::vector<Call> calls;

private:
    std::map<std::string, std::deque<MsgResult>> results_;
    std::map<std::string, std::deque<std::string>> inputs_;
};

class RecordingDesktop final : public DesktopServices {
public:
    void setClipboardText(std::string_view text) override {
        if (onClipboard) onClipboard();
        clipboard = std::string(text);
    }
    std::string clipboardText() const override { return clipboard; }
    bool openDocument(std::string_view pathOrUrl) override {
        opened.emplace_back(pathOrUrl);
        return true;
    }

    std::string clipboard;
    std::vector<std::string> opened;
    // Runs as text reaches the clipboard, to look at the window at that moment.
    std::function<void()> onClipboard;
};

} // namespace twinsift::test
