// twinsift-cli on Word documents and Excel worksheet columns.

#include "cli_runner.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

namespace fs = std::filesystem;

using twinsift::test::cli;
using twinsift::test::CliRun;

// The expected file's entries, unescaped, one per output line.
std::string expectedOutput(const fs::path& expected) {
    const std::string bytes = twinsift::test::readFile(expected);
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\\' || i + 1 == bytes.size()) {
            out += bytes[i];
            continue;
        }
        const char e = bytes[++i];
        switch (e) {
        case 't': out += '\t'; break;
        case 'v': out += '\v'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 'x':
            out += static_cast<char>(std::stoi(bytes.substr(i + 1, 2), nullptr, 16));
            i += 2;
            break;
        default: out += e;
        }
    }
    return out;
}

fs::path office() { return twinsift::test::testdataDir() / "office"; }

TEST(CliOffice, PrintsTheLinesOfWordDocuments) {
    for (const char* name : {"plain_duplicates.docx", "unicode_text.docx", "table_doc.docx", "family.odt"}) {
        const CliRun r = cli({"--lines", "--no-nbsp-conversion", (office() / "word" / name).string()});
        EXPECT_EQ(r.status, 0) << name << r.err;
        EXPECT_EQ(r.out, expectedOutput(office() / "word" / (std::string(name) + ".expected.txt"))) << name;
    }
}

TEST(CliOffice, SheetAndColumnChooseWhatIsRead) {
    struct Case {
        const char* file;
        std::vector<std::string> options;
        const char* expected;
    };
    const Case cases[] = {
        {"basic_column.xlsx", {}, "basic_column.xlsx.1.A.expected.txt"},
        {"multi_sheet.xlsx", {"--sheet", "5", "--column", "AB"}, "multi_sheet.xlsx.5.AB.expected.txt"},
        {"offset_range.xlsx", {"--column=D"}, "offset_range.xlsx.1.D.expected.txt"},
        {"family_calc.ods", {"--sheet", "2", "--column", "b"}, "family_calc.ods.2.B.expected.txt"},
        {"value_types.xlsx", {"--column", "B"}, "value_types.xlsx.1.B.expected.txt"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--lines"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back((office() / "excel" / c.file).string());
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, 0) << c.expected << r.err;
        EXPECT_EQ(r.out, expectedOutput(office() / "excel" / c.expected)) << c.expected;
    }
}

TEST(CliOffice, RefusesBadColumnsAndMissingWorksheets) {
    const std::string book = (office() / "excel/basic_column.xlsx").string();
    EXPECT_EQ(cli({"--lines", "--column", "A1", book}).status, 2);
    EXPECT_EQ(cli({"--lines", "--column", "", book}).status, 2);
    const CliRun r = cli({"--lines", "--sheet", "7", book});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Excel error: Invalid Worksheet"), std::string::npos) << r.err;
}

TEST(CliOffice, SavesAWordDocumentWithoutItsDuplicates) {
    twinsift::test::TempDir d;
    const std::string target = (d.path() / "clean.docx").string();
    const CliRun r = cli({"--select", "all-but-first", "--save", target, (office() / "word/plain_duplicates.docx").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const CliRun back = cli({"--lines", target});
    EXPECT_EQ(back.out, "Shopping list\napple\nbanana\ncherry\ndate\nkiwi\n") << back.err;
}

} // namespace
