#pragma once
// The platform's open and save dialogs through Qt.

#include "platform/command_port.h"

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace twinsift {

// The program's "description|patterns|..." list as Qt's name filters, one
// per file type, in the same order.
QStringList qtNameFilters(std::string_view filter);

class QtFileDialogs final : public FileDialogPort {
public:
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void setAfterModal(std::function<void()> afterModal) { afterModal_ = std::move(afterModal); }

    std::string openFileDialog(const FileDialogRequest& request) override { return run(request, false); }
    std::string saveFileDialog(const FileDialogRequest& request) override { return run(request, true); }

private:
    std::string run(const FileDialogRequest& request, bool save);
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
