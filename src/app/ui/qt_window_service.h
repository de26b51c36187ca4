#pragma once
// The program's own windows, shown for real over the main window.

#include "platform/app_identity.h"
#include "platform/command_port.h"
#include "platform/window_service.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace twinsift {

struct LoadedDocument;
struct RunState;
struct SettingsValues;
class frmQuickstart;
class modOffice;

class QtWindowService final : public WindowService {
public:
    QtWindowService(SettingsValues& settings, LoadedDocument& document, RunState& run, const AppIdentity& app,
                    MessagePort& boxes, DesktopServices& desktop)
        : settings_(settings), document_(document), run_(run), app_(app), boxes_(boxes), desktop_(desktop) {}
    ~QtWindowService() override;

    void setParentWindow(QWidget* parent) { parent_ = parent; }
    // The Office adapter that lists a workbook's worksheets for the load options.
    void setOffice(modOffice* office) { office_ = office; }
    // The main window's port, which the Tools window's exports talk through.
    void setCommandPort(CommandPort* port) { port_ = port; }

    bool showLoadOptions() override;
    bool showSaveOptions() override;
    bool showSaveSelection() override;
    void showTools() override;
    void showSettings() override;
    void showAbout() override;
    void showQuickstart() override;

private:
    SettingsValues& settings_;
    LoadedDocument& document_;
    RunState& run_;
    const AppIdentity& app_;
    MessagePort& boxes_;
    DesktopServices& desktop_;
    QPointer<QWidget> parent_;
    modOffice* office_ = nullptr;
    QPointer<frmQuickstart> quickstart_;
    CommandPort* port_ = nullptr;
};

} // namespace twinsift
