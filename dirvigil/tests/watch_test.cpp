#include "dirvigil_test_support.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>

using namespace Dirvigil;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Generous: the watcher looks every 100 ms, but this machine may be busy.
constexpr auto kNotifyLimit = 5s;
// How long a change that must not be reported is given to show up anyway:
// several of the watcher's 100 ms rounds.
constexpr auto kQuietPeriod = 500ms;

class WatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_EQ(dvtest::server().registerServer(), S_OK);
        // Loads the library now, so that it is not counted as a leak below.
        watcher_ = newWatcher();
        ASSERT_NE(watcher_, nullptr);
        window_ = CreateMessageWindow();
        baseThreads_ = dvtest::threadCount();
        baseDescriptors_ = dvtest::descriptorCount();
    }

    void TearDown() override
    {
        if (watcher_) {
            watcher_->Kill();
            watcher_->Release();
        }
        DestroyWindow(window_);
        dvtest::server().unregisterServer();
        CoUninitialize();
    }

    // True once the process has n threads. A thread that was joined may
    // still be listed for a moment while the system finishes ending it.
    static bool threadsSettleAt(int n)
    {
        return dvtest::waitUntil([n] { return dvtest::threadCount() == n; }, 2s);
    }

    static _cDirvigil* newWatcher()
    {
        CLSID clsid{};
        if (FAILED(CLSIDFromProgID("Dirvigil.cDirvigil", &clsid))) return nullptr;
        _cDirvigil* watcher = nullptr;
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__cDirvigil, reinterpret_cast<void**>(&watcher));
        return watcher;
    }

    // The next notification's key-down, pumping the window as a client would.
    std::optional<MSG> nextNotification(std::chrono::milliseconds limit = kNotifyLimit)
    {
        MSG msg;
        if (!WaitMessageA(&msg, window_, limit)) return std::nullopt;
        return msg;
    }

    std::string folder() const { return temp_.path().string(); }

    dvtest::TempFolder temp_;
    _cDirvigil* watcher_ = nullptr;
    HWND window_ = 0;
    int baseThreads_ = 0;
    int baseDescriptors_ = 0;
};

void expectKeyDown(const std::optional<MSG>& msg)
{
    ASSERT_TRUE(msg.has_value()) << "no notification";
    EXPECT_EQ(msg->message, 256u);
    EXPECT_EQ(msg->wParam, 32u);
    EXPECT_EQ(msg->lParam, 65537);
}

} // namespace

TEST_F(WatchTest, FileCreatedInTheFolderSetsTheTextThenPostsOneSpaceKeyDown)
{
    ASSERT_EQ(watcher_->Create(folder().c_str(), window_, false), S_OK);
    const auto start = Clock::now();
    dvtest::writeFile(temp_.path() / "new.txt", "");
    const auto msg = nextNotification();
    const auto latency = Clock::now() - start;
    expectKeyDown(msg);
    // The text was set before the key-down was posted, so it is there now.
    EXPECT_EQ(GetWindowTextA(window_), folder());
    EXPECT_LT(latency, 1500ms);
    EXPECT_FALSE(nextNotification(kQuietPeriod)) << "one change, one notification";
}

TEST_F(WatchTest, SingleFolderReportsAttributesAndSizeButNothingBelowIt)
{
    fs::create_directory(temp_.path() / "sub");
    dvtest::writeFile(temp_.path() / "file.txt", "x");
    ASSERT_EQ(watcher_->Create(folder().c_str(), window_, false), S_OK);

    dvtest::writeFile(temp_.path() / "sub" / "inner.txt", "");
    EXPECT_FALSE(nextNotification(kQuietPeriod)) << "a subfolder's file is not watched";

    ASSERT_EQ(chmod((temp_.path() / "file.txt").c_str(), 0600), 0);
    expectKeyDown(nextNotification());
    dvtest::appendFile(temp_.path() / "file.txt", "more");
    expectKeyDown(nextNotification());
    EXPECT_EQ(GetWindowTextA(window_), folder());
}

TEST_F(WatchTest, RecursiveReportsNamesInTheSubtreeButNotSizes)
{
    fs::create_directories(temp_.path() / "sub" / "deeper");
    dvtest::writeFile(temp_.path() / "sub" / "deeper" / "a.txt", "x");
    ASSERT_EQ(watcher_->Create(folder().c_str(), window_, true), S_OK);

    dvtest::appendFile(temp_.path() / "sub" / "deeper" / "a.txt", "longer now");
    EXPECT_FALSE(nextNotification(kQuietPeriod)) << "a size change alone is not a name change";

    fs::rename(temp_.path() / "sub" / "deeper" / "a.txt", temp_.path() / "sub" / "deeper" / "b.txt");
    expectKeyDown(nextNotification());
    EXPECT_EQ(GetWindowTextA(window_), folder());

    // A folder made while watching is watched too.
    fs::create_directory(temp_.path() / "sub" / "later");
    expectKeyDown(nextNotification());
    dvtest::writeFile(temp_.path() / "sub" / "later" / "c.txt", "");
    expectKeyDown(nextNotification());

    // Renamed within the tree it is still watched, under its new name;
    // moved out of the tree it is not.
    fs::rename(temp_.path() / "sub" / "later", temp_.path() / "sub" / "renamed");
    expectKeyDown(nextNotification());
    dvtest::writeFile(temp_.path() / "sub" / "renamed" / "d.txt", "");
    expectKeyDown(nextNotification());
    dvtest::TempFolder outside;
    fs::rename(temp_.path() / "sub" / "renamed", outside.path() / "moved");
    expectKeyDown(nextNotification());
    dvtest::writeFile(outside.path() / "moved" / "e.txt", "");
    EXPECT_FALSE(nextNotification(kQuietPeriod)) << "a folder moved away is no longer watched";
}

TEST_F(WatchTest, FolderThatCannotBeWatchedRaisesTheErrorAndStartsNothing)
{
    const std::string missing = (temp_.path() / "missing").string();
    const std::string notAFolder = (temp_.path() / "plain.txt").string();
    dvtest::writeFile(notAFolder, "");
    for (const std::string& path : {missing, notAFolder, std::string()}) {
        EXPECT_EQ(watcher_->Create(path.c_str(), window_, false), static_cast<HRESULT>(0x80040000u)) << path;
        std::string source;
        std::string description;
        ASSERT_EQ(GetErrorInfo(&source, &description), S_OK) << path;
        EXPECT_EQ(description, "Cannot create change notification handle");
        EXPECT_EQ(source, "Dirvigil.cDirvigil");
        EXPECT_EQ(watcher_->Create(path.c_str(), window_, true), static_cast<HRESULT>(0x80040000u)) << path;
        GetErrorInfo(nullptr, nullptr);
    }
    EXPECT_EQ(dvtest::threadCount(), baseThreads_);
    EXPECT_EQ(dvtest::descriptorCount(), baseDescriptors_);
    EXPECT_EQ(watcher_->Kill(), S_OK);
}

TEST_F(WatchTest, KillEndsTheWorkerPromptlyAndTwiceDoesNothing)
{
    ASSERT_EQ(watcher_->Create(folder().c_str(), window_, true), S_OK);
    EXPECT_EQ(dvtest::threadCount(), baseThreads_ + 1);
    EXPECT_GT(dvtest::descriptorCount(), baseDescriptors_);

    const auto start = Clock::now();
    EXPECT_EQ(watcher_->Kill(), S_OK);
    // About one wait of the worker; far below the 2000 ms of a forced end.
    EXPECT_LT(Clock::now() - start, 1000ms);
    EXPECT_TRUE(threadsSettleAt(baseThreads_));

    EXPECT_EQ(watcher_->Kill(), S_OK);
    dvtest::writeFile(temp_.path() / "after.txt", "");
    EXPECT_FALSE(nextNotification(kQuietPeriod));

    watcher_->Release();
    watcher_ = nullptr;
    EXPECT_EQ(dvtest::descriptorCount(), baseDescriptors_) << "the change handle is closed with the object";
}

TEST_F(WatchTest, KillFromTheWindowsOwnThreadReleasesAWorkerWaitingToSetTheText)
{
    ASSERT_EQ(watcher_->Create(folder().c_str(), window_, false), S_OK);
    dvtest::writeFile(temp_.path() / "new.txt", "");
    // The worker now waits for this thread to take the text; this thread does not pump.
    ASSERT_TRUE(dvtest::waitUntil([&] { return HasSentMessages(window_); }));

    const auto start = Clock::now();
    EXPECT_EQ(watcher_->Kill(), S_OK);
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_TRUE(threadsSettleAt(baseThreads_)) << "the worker ended instead of being abandoned";

    // The withdrawn request never reaches the window, and nothing is posted after it.
    EXPECT_FALSE(HasSentMessages(window_));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window_));
    EXPECT_EQ(GetWindowTextA(window_), "");
}

TEST_F(WatchTest, MissingTargetWindowIsIgnoredAndWatchingGoesOn)
{
    const HWND gone = CreateMessageWindow();
    DestroyWindow(gone);
    ASSERT_EQ(watcher_->Create(folder().c_str(), gone, false), S_OK);
    dvtest::writeFile(temp_.path() / "one.txt", "");
    // The watcher keeps running; a second Create moves it to a live window.
    EXPECT_EQ(dvtest::threadCount(), baseThreads_ + 1);
    ASSERT_EQ(watcher_->Create(folder().c_str(), window_, false), S_OK);
    EXPECT_TRUE(threadsSettleAt(baseThreads_ + 1)) << "the first worker was stopped";
    dvtest::writeFile(temp_.path() / "two.txt", "");
    expectKeyDown(nextNotification());
}

TEST_F(WatchTest, DroppingEveryClientReferenceAfterKillLeavesNoThreadOrDescriptor)
{
    for (int round = 0; round < 3; ++round) {
        _cDirvigil* extra = newWatcher();
        ASSERT_NE(extra, nullptr);
        ASSERT_EQ(extra->Create(folder().c_str(), window_, round % 2 == 0), S_OK);
        dvtest::writeFile(temp_.path() / std::to_string(round), "");
        expectKeyDown(nextNotification());
        extra->Kill();
        extra->Release();
    }
    EXPECT_TRUE(threadsSettleAt(baseThreads_));
    EXPECT_EQ(dvtest::descriptorCount(), baseDescriptors_);
}
