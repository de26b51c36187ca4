#pragma once
// A settings store held in memory, for tests: it records every save so that a
// test can tell how often and in which order keys were written.

#include "platform/settings_store.h"

#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace twinsift {

class MemorySettingsStore final : public SettingsStore {
public:
    struct Write {
        std::string application, section, key, text;
    };

    std::string get(std::string_view application, std::string_view section, std::string_view key,
                    std::string_view defaultText) override {
        ++reads;
        const auto it = values.find(id(application, section, key));
        return it == values.end() ? std::string(defaultText) : it->second;
    }

    bool save(std::string_view application, std::string_view section, std::string_view key,
              std::string_view text) override {
        writes.push_back({std::string(application), std::string(section), std::string(key), std::string(text)});
        if (failSaves) return false;
        values[id(application, section, key)] = std::string(text);
        return true;
    }

    // Puts a value in place as if an earlier run or the user had stored it.
    void put(std::string_view application, std::string_view section, std::string_view key, std::string_view text) {
        values[id(application, section, key)] = std::string(text);
    }

    bool contains(std::string_view application, std::string_view section, std::string_view key) const {
        return values.count(id(application, section, key)) != 0;
    }

    // Application, section and key, lower-cased: the store ignores their letter case.
    using Id = std::tuple<std::string, std::string, std::string>;
    std::map<Id, std::string> values;
    std::vector<Write> writes;
    int reads = 0;
    bool failSaves = false;

private:
    static std::string lower(std::string_view s) {
        std::string r(s);
        for (char& c : r)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return r;
    }
    static Id id(std::string_view a, std::string_view s, std::string_view k) { return {lower(a), lower(s), lower(k)}; }
};

} // namespace twinsift
