#pragma once
// An error raised inside the library; the component boundary turns it into
// the method's result and the caller's error object.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace Dirvigil {

class DirvigilError : public std::runtime_error {
public:
    DirvigilError(std::int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number)
    {
    }
    std::int32_t number() const { return number_; }

private:
    std::int32_t number_;
};

} // namespace Dirvigil
