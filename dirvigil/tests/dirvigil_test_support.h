#pragma once
// What the Dirvigil tests share: a private registry per test process, the
// library's exports, and counts of the process's threads and descriptors.

#include "dirvigil/dirvigil.h"

#include <platrt/com.h>
#include <platrt/window.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace dvtest {

// The library as the runtime would load it, and its four exports.
struct Server {
    DllGetClassObjectFn getClassObject = nullptr;
    DllSimpleFn canUnloadNow = nullptr;
    DllSimpleFn registerServer = nullptr;
    DllSimpleFn unregisterServer = nullptr;
};
const Server& server();

// A fresh folder, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
void appendFile(const std::filesystem::path& path, const std::string& bytes);

int threadCount();
int descriptorCount();

// Polls `condition` until it holds or `limit` passes; the result of its last look.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5));

} // namespace dvtest
