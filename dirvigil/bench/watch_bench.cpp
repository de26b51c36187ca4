// How quickly a change reaches the client window, and how long Kill takes
// with the worker idle. Both should stay near one 100 ms wait of the worker.

#include "dirvigil/dirvigil.h"

#include <platrt/com.h>
#include <platrt/window.h>

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Setup {
    fs::path folder;
    HWND window = 0;

    Setup()
    {
        std::string pattern = (fs::temp_directory_path() / "dirvigil-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        setenv("PLATRT_REGISTRY", (folder / "registry").c_str(), 1);
        void* library = dlopen(DIRVIGIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        auto registerServer = library ? reinterpret_cast<DllSimpleFn>(dlsym(library, "DllRegisterServer")) : nullptr;
        if (!registerServer || registerServer() != S_OK) std::abort();
        fs::create_directory(folder / "watched");
        CoInitialize(nullptr);
        window = CreateMessageWindow();
    }
    ~Setup()
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    Dirvigil::_cDirvigil* watcher(bool recursive) const
    {
        Dirvigil::_cDirvigil* w = nullptr;
        if (FAILED(CoCreateInstance(Dirvigil::CLSID_cDirvigil, nullptr, CLSCTX_INPROC_SERVER, Dirvigil::IID__cDirvigil,
                                    reinterpret_cast<void**>(&w))) ||
            FAILED(w->Create((folder / "watched").c_str(), window, recursive)))
            std::abort();
        return w;
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

void BM_ChangeToKeyDown(benchmark::State& state)
{
    auto* watcher = setup().watcher(state.range(0) != 0);
    // New names every time: rewriting a file is no name change.
    static int n = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::ofstream(setup().folder / "watched" / std::to_string(n++)).put('x');
        MSG msg;
        if (!WaitMessageA(&msg, setup().window, std::chrono::seconds(5))) state.SkipWithError("no notification");
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        // A written file may report twice (name, then size); start each round clean.
        while (WaitMessageA(&msg, setup().window, std::chrono::milliseconds(250))) {
        }
    }
    watcher->Kill();
    watcher->Release();
}
BENCHMARK(BM_ChangeToKeyDown)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_KillWaitingWatcher(benchmark::State& state)
{
    static int n = 0;
    for (auto _ : state) {
        auto* watcher = setup().watcher(true);
        // One notification proves the worker is in its loop, waiting.
        std::ofstream(setup().folder / "watched" / std::to_string(1000000 + n++));
        MSG msg;
        if (!WaitMessageA(&msg, setup().window, std::chrono::seconds(5))) state.SkipWithError("no notification");
        const auto start = std::chrono::steady_clock::now();
        watcher->Kill();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        watcher->Release();
    }
}
BENCHMARK(BM_KillWaitingWatcher)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
