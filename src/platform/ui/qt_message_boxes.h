#pragma once
// Message boxes and the input box as real Qt dialogs, carrying the program's
// title, over whichever window is the program's main window.

#include "platform/command_port.h"

#include <QApplication>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace twinsift {

class QtMessageBoxes final : public MessagePort {
public:
    explicit QtMessageBoxes(QString programTitle) : title_(std::move(programTitle)) {}

    // The window the boxes sit over, and what to run after one closed (the
    // main window repaints its buttons).
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void setAfterModal(std::function<void()> afterModal) { afterModal_ = std::move(afterModal); }

    MsgResult messageBox(std::string_view id, std::string_view text, MsgIcon icon, MsgButtons buttons,
                         std::string_view title = {}) override;
    std::optional<std::string> inputBox(std::string_view id, std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;

private:
    QString title_;
    // A modal window open over the main window (the Tools window) owns what
    // is asked from inside it.
    QWidget* owner() const {
        if (QWidget* modal = QApplication::activeModalWidget()) return modal;
        return parent_.data();
    }
    QPointer<QWidget> parent_;
    std::function<void()> afterModal_;
};

} // namespace twinsift
