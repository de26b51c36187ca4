#pragma once
// How the Open command reaches the Office adapter: the reader's Word and
// Excel branch, and the session the driver closes and asks for errors.

#include "office/mod_office.h"
#include "scan/scan_driver.h"
#include "scan/source_reader.h"

namespace twinsift {

class OfficeReaderSource final : public OfficeLineSource {
public:
    // The worksheet and column come from Load_ExcelWorksheet and
    // Load_ExcelColumn as they stand when the document is opened.
    OfficeReaderSource(modOffice& office, const SettingsValues& settings) : office_(office), settings_(settings) {}

    CountResult open(const std::string& path) override;
    bool nextLine(std::string& line) override;

private:
    modOffice& office_;
    const SettingsValues& settings_;
    static constexpr int kFailuresShown = 8;
    bool word_ = false;
    int failures_ = 0;
};

// The adapter as the Open command uses it; `lines` must outlive the session.
OfficeSession makeOfficeSession(modOffice& office, OfficeReaderSource& lines);

} // namespace twinsift
