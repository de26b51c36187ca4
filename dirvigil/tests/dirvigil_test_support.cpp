#include "dirvigil_test_support.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace dvtest {
namespace {

std::filesystem::path makeTempFolder(const char* prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    return pattern;
}

// Every test process registers into its own registry file, never the user's.
class PrivateRegistry : public ::testing::Environment {
public:
    void SetUp() override
    {
        folder_ = makeTempFolder("dirvigil-registry");
        setenv("PLATRT_REGISTRY", (folder_ / "registry").c_str(), 1);
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

private:
    std::filesystem::path folder_;
};

const auto* const registryEnvironment = ::testing::AddGlobalTestEnvironment(new PrivateRegistry);

template <typename Fn>
Fn symbol(void* library, const char* name)
{
    auto fn = reinterpret_cast<Fn>(dlsym(library, name));
    if (!fn) throw std::runtime_error(std::string("missing export ") + name);
    return fn;
}

int entriesIn(const char* folder)
{
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

} // namespace

const Server& server()
{
    static const Server s = [] {
        void* library = dlopen(DIRVIGIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!library) throw std::runtime_error(dlerror());
        Server loaded;
        loaded.getClassObject = symbol<DllGetClassObjectFn>(library, "DllGetClassObject");
        loaded.canUnloadNow = symbol<DllSimpleFn>(library, "DllCanUnloadNow");
        loaded.registerServer = symbol<DllSimpleFn>(library, "DllRegisterServer");
        loaded.unregisterServer = symbol<DllSimpleFn>(library, "DllUnregisterServer");
        return loaded;
    }();
    return s;
}

TempFolder::TempFolder()
{
    path_ = makeTempFolder("dirvigil-test");
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void appendFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

int threadCount()
{
    return entriesIn("/proc/self/task");
}

int descriptorCount()
{
    return entriesIn("/proc/self/fd");
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace dvtest
