// A save killed at any moment leaves the target either exactly as it was or
// exactly as the finished save writes it, never half of each and never missing.

#include "save_test_support.h"

#include <csignal>
#include <filesystem>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace twinsift;
using namespace twinsift::test;
namespace fs = std::filesystem;

namespace {

// Every pump and every status text becomes a stop: the child tells the parent
// through one pipe and waits for the go-ahead on another, so the parent can kill
// it at an exact point of the save.
class SteppedPort : public RecordingPort {
public:
    int toParent = -1, fromParent = -1;
    void step() {
        char c = 's';
        if (::write(toParent, &c, 1) != 1) ::_exit(3);
        if (::read(fromParent, &c, 1) != 1) ::_exit(4);
    }
    void pumpEvents() override { step(); }
    void setPanelText(std::string_view key, std::string_view text) override {
        if (key == "status") step();
    }
};

} // namespace

TEST_F(SaveFixture, KilledSaveLeavesOldOrNewTarget) {
    auto row = [](int i) {
        std::string r = "row ";
        r += std::to_string(i % 7000);
        r += " of the crash test\r\n";
        return r;
    };
    std::string content;
    for (int i = 1; i <= 20000; ++i) content += row(i);
    load({content});
    std::vector<int> lines;
    for (int i = 7001; i <= 20000; ++i) lines.push_back(i);
    mark(lines);
    const std::string out = target();
    const std::string oldContent = "the old target\r\n";
    std::string newContent;
    for (int i = 1; i <= 7000; ++i) newContent += row(i);

    // One unhindered run counts the stops.
    auto runChild = [&](long killAt) -> long {
        dir.write("out.txt", oldContent);
        fs::remove(out + ".twinsifttemp");
        int up[2], down[2];
        if (::pipe(up) != 0 || ::pipe(down) != 0) return -1;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(up[0]);
            ::close(down[1]);
            SteppedPort p;
            p.saveDialogAnswer = out;
            p.toParent = up[1];
            p.fromParent = down[0];
            SaveDriver d(doc, settings, run, p);
            d.cmdSave_Click();
            ::_exit(d.outcome() == SaveOutcome::Saved ? 0 : 5);
        }
        ::close(up[1]);
        ::close(down[0]);
        long steps = 0;
        char c;
        while (::read(up[0], &c, 1) == 1) {
            if (steps == killAt) {
                ::kill(pid, SIGKILL);
                break;
            }
            ++steps;
            if (::write(down[1], &c, 1) != 1) break;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(up[0]);
        ::close(down[1]);
        if (killAt < 0) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        } else if (steps == killAt) {
            EXPECT_TRUE(WIFSIGNALED(status));
        }
        return steps;
    };

    const long total = runChild(-1);
    ASSERT_GT(total, 300);
    EXPECT_EQ(readFile(out), newContent);

    int sawOld = 0, sawNew = 0;
    std::vector<long> points{0, 1, 2, 3, 5, 8, total - 12, total - 8, total - 6, total - 5, total - 4, total - 3,
                             total - 2, total - 1};
    for (long k = 10; k < total - 12; k += total / 25) points.push_back(k);
    for (long k : points) {
        runChild(k);
        ASSERT_TRUE(fs::exists(out)) << "killed at stop " << k;
        const std::string now = readFile(out);
        EXPECT_TRUE(now == oldContent || now == newContent) << "killed at stop " << k << ": " << now.size() << " bytes";
        (now == oldContent ? sawOld : sawNew)++;
    }
    // The kills reached both sides of the replacement.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}
