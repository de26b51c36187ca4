#pragma once
// The per-user store on Linux and other XDG desktops: one UTF-8 text file per
// application and section, "<config>/<application>/<section>.conf", holding
// key=value lines. Keys match without regard to ASCII letter case, as they do
// in the Windows registry, so a store edited by hand behaves the same on both.
//
// Every save rewrites the file through a temporary file and a rename, so a
// crash leaves either the old or the new store, never a torn one. Nothing is
// cached outside an update: each call reads the file again, so two running
// copies of the program see each other's writes.

#include "platform/settings_store.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

class XdgSettingsStore final : public SettingsStore {
public:
    // Uses $XDG_CONFIG_HOME when it is an absolute path, otherwise ~/.config.
    XdgSettingsStore();
    explicit XdgSettingsStore(std::filesystem::path configRoot);

    std::string get(std::string_view application, std::string_view section, std::string_view key,
                    std::string_view defaultText) override;
    bool save(std::string_view application, std::string_view section, std::string_view key,
              std::string_view text) override;
    // Saves between these two reach the disk together, in one atomic rewrite
    // per file, instead of one synced rewrite per key.
    void beginUpdate() override;
    bool endUpdate() override;

    // Where the values of one section live; empty when no config folder is known.
    std::filesystem::path filePath(std::string_view application, std::string_view section) const;

    // The config folder the XDG rules give for the current environment.
    static std::optional<std::filesystem::path> defaultConfigRoot();

    // The line encoding of the store file, exposed for tests: any byte string
    // survives, and the file stays valid UTF-8 with one entry per line.
    static std::string escape(std::string_view raw, bool isKey);
    static std::string unescape(std::string_view stored);

    struct Entry {
        std::string line; // as stored, without its line break
        std::string key;  // unescaped; empty for comments and blank lines
        bool isValue = false;
    };

private:
    std::optional<std::vector<Entry>> load(const std::filesystem::path& path) const;
    std::vector<Entry>* pendingFor(const std::filesystem::path& path);

    std::filesystem::path root_;
    bool updating_ = false;
    std::map<std::filesystem::path, std::vector<Entry>> pending_;
};

} // namespace twinsift
