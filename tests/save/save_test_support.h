#pragma once
// Loads real files into a document the way Open does, and marks lines for removal.

#include "support/recording_port.h"
#include "save/save_driver.h"
#include "scan/source_reader.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinsift::test {

struct SaveFixture : ::testing::Test {
    TempDir dir;
    LoadedDocument doc;
    SettingsValues settings = SettingsValues::Defaults();
    RunState run;
    RecordingPort port;
    SaveDriver driver{doc, settings, run, port};
    std::vector<std::string> paths;

    // Writes the files and loads them as one document.
    void load(const std::vector<std::string>& contents) {
        paths.clear();
        for (std::size_t i = 0; i < contents.size(); ++i)
            paths.push_back(dir.write("src" + std::to_string(i + 1) + ".txt", contents[i]));
        doc.releaseLines();
        doc.resetFiles(paths);
        SourceReader reader(doc, settings);
        ASSERT_TRUE(reader.CountLines().ok);
        reader.LoadLines([](std::string_view) { return true; });
        reader.StripByteOrderMarks();
    }
    // Duplicate entries for these global line numbers, marked for removal.
    void mark(const std::vector<int>& lines, bool selected = true) {
        const std::size_t width = std::to_string(doc.lstOriginal.ListCount()).size();
        for (int l : lines) {
            const std::string n = std::to_string(l);
            std::string entry(1, '[');
            entry.append(width - n.size(), '0');
            entry += n;
            entry += "]   k";
            doc.lstDuplicates.AddItem(entry);
            doc.lstDuplicates.Selected(doc.lstDuplicates.ListCount() - 1, selected);
        }
    }
    std::string target(const std::string& name = "out.txt") {
        port.saveDialogAnswer = (dir.path() / name).string();
        return port.saveDialogAnswer;
    }
    static std::string numbered(int from, int to) {
        std::string s;
        for (int i = from; i <= to; ++i) s += "line " + std::to_string(i) + "\r\n";
        return s;
    }
};

} // namespace twinsift::test
