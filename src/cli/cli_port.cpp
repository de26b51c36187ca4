#include "cli/cli_port.h"

#include <ostream>

namespace twinsift::cli {

std::string terminalText(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        s += text[i];
    }
    return s;
}

void CliPort::setPanelText(std::string_view key, std::string_view text) {
    if (key == "selected") {
        selected_ = text;
        return;
    }
    if (key == "line") {
        line_ = text;
        return;
    }
    if (key != "status") return;
    // The driver sets the status once per interval; the terminal only hears
    // of a change.
    if (showProgress_ && !text.empty() && text != status_) {
        err_ << '\r' << text << "\x1b[K" << std::flush;
        progressShown_ = true;
    }
    status_ = text;
}

std::string CliPort::panelText(std::string_view key) const {
    if (key == "status") return status_;
    if (key == "selected") return selected_;
    if (key == "line") return line_;
    return {};
}

void CliPort::endProgress() {
    if (progressShown_) err_ << "\r\x1b[K" << std::flush;
    progressShown_ = false;
}

MsgResult CliPort::messageBox(std::string_view, std::string_view text, MsgIcon icon, MsgButtons buttons,
                              std::string_view) {
    endProgress();
    if (icon != MsgIcon::Question) err_ << terminalText(text) << '\n';
    // Nobody is there to answer: a question is answered No (keep going, add
    // no file), a notice OK.
    switch (buttons) {
    case MsgButtons::Ok: return MsgResult::Ok;
    case MsgButtons::OkCancel: return MsgResult::Cancel;
    default: return MsgResult::No;
    }
}

} // namespace twinsift::cli
