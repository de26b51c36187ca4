#pragma once
// Who the program is: its name, its version and whether it runs in debug mode.
// main() decides this once from the command line and hands it down; nothing
// else reads the command line for it.

#include <string>
#include <string_view>

namespace twinsift {

struct AppIdentity {
    std::string sAppName = "Twinsift";
    std::string sAppVersion = "6.16";
    bool bDebugMode = false;

    // The maker's web page, shown in the status bar at first activation and
    // behind the About window's link.
    static constexpr std::string_view kMakerWebAddress = "https://quorvane.example/twinsift";

    // Debug mode is on when "DEBUG_MODE" appears anywhere in the command line
    // (exact letter case); the version then carries " Debug Version".
    static AppIdentity FromCommandLine(std::string_view commandLine) {
        AppIdentity id;
        id.bDebugMode = commandLine.find("DEBUG_MODE") != std::string_view::npos;
        if (id.bDebugMode) id.sAppVersion += " Debug Version";
        return id;
    }

    // "Twinsift 6.16", the start of the title and of the status text.
    std::string nameAndVersion() const { return sAppName + " " + sAppVersion; }
};

} // namespace twinsift
