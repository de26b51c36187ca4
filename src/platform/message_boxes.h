#pragma once
// Message boxes and the input box, as commands and dialogs reach them. The Qt
// program shows real boxes; tests answer through a scripted double, keyed by
// the question's identifier, so no test blocks and none matches on wording.

#include <optional>
#include <string>
#include <string_view>

#include "platform/command_port.h"

namespace twinsift {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // id names the question or message ("scan.stop", "settings.cutoff-range",
    // ...); an empty title means the program's title.
    virtual MsgResult messageBox(std::string_view id, std::string_view text, MsgIcon icon,
                                 MsgButtons buttons, std::string_view title = {}) = 0;
    // nullopt when cancelled.
    virtual std::optional<std::string> inputBox(std::string_view id, std::string_view prompt,
                                                std::string_view title, std::string_view defaultText) = 0;
};

} // namespace twinsift
