// The batch command runs with the program's defaults and leaves the user's
// settings alone: it neither reads nor creates the per-user store.

#include "cli/cli_app.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using twinsift::test::ScopedEnv;
using twinsift::test::TempDir;

TEST(CliSettings, NeverCreatesTheUserStore) {
    TempDir home, config, work;
    ScopedEnv h("HOME", home.path().string());
    ScopedEnv x("XDG_CONFIG_HOME", config.path().string());
    const std::string file = work.write("list.txt", "a\r\nb\r\na\r\n");
    std::ostringstream out, err;
    EXPECT_EQ(twinsift::cli::run({"--count", file}, out, err), 0) << err.str();
    EXPECT_TRUE(std::filesystem::is_empty(config.path()));
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
    EXPECT_FALSE(std::filesystem::exists(work.path() / "settings.ini"));
}
