#pragma once
// The error a widget class raises for an invalid property value. The value
// that was being written stays unchanged.

#include <stdexcept>
#include <string>

namespace twinsift {

class PropertyError : public std::runtime_error {
public:
    static constexpr int kInvalidPropertyValue = 380;

    PropertyError(int number, std::string source, const std::string& message)
        : std::runtime_error(message), number(number), source(std::move(source)) {}

    // Error 380 raised by the class named `className`; the source reads
    // "Twinsift." + className.
    static PropertyError invalidValue(const std::string& className);

    int number;
    std::string source;
};

} // namespace twinsift
