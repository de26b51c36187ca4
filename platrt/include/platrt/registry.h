#pragma once
// The per-user class registry: keys like "CLSID\{...}\InprocServer32", each
// with named string values ("" is the key's default value). It lives in one
// text file, $PLATRT_REGISTRY when set, else ~/.config/platrt/registry
// (XDG_CONFIG_HOME is honoured). Every call reads or rewrites the whole file
// under a lock, so several processes may register at once.

#include <optional>
#include <string>

namespace platrt {

std::string RegistryPath();

bool RegSetValue(const std::string& key, const std::string& name, const std::string& data);
std::optional<std::string> RegGetValue(const std::string& key, const std::string& name);
// Removes the key, its values and every key below it. True also when absent.
bool RegDeleteTree(const std::string& key);

} // namespace platrt
