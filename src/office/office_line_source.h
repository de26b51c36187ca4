#pragma once
// The reader's Word and Excel branch: lines come from the Office adapter.

#include "office/mod_office.h"
#include "scan/source_reader.h"

namespace twinsift {

class OfficeReaderSource final : public OfficeLineSource {
public:
    // worksheet (from 1) and column (A = 1) as chosen in the load options.
    OfficeReaderSource(modOffice& office, int worksheet, int column)
        : office_(office), worksheet_(worksheet), column_(column) {}

    CountResult open(const std::string& path) override;
    bool nextLine(std::string& line) override;

private:
    modOffice& office_;
    int worksheet_;
    int column_;
    bool word_ = false;
};

} // namespace twinsift
