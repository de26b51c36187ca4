#pragma once
// How the bytes of a loaded document are read as characters.
//
// Lines are kept as the bytes that were read. A document is UTF-8 when every
// loaded text file is valid UTF-8 (and always for Word and Excel documents, whose
// text arrives as Unicode); otherwise each byte is one Windows-1252 character.
// The codec decides upper-casing, character counting, the no-break space and
// how a line turns into Unicode for display and collation.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace twinsift {

enum class Codec : std::uint8_t { Utf8, Windows1252 };

// True when the bytes form valid UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool isValidUtf8(const char* data, std::size_t size) noexcept;
inline bool isValidUtf8(std::string_view s) noexcept { return isValidUtf8(s.data(), s.size()); }

namespace detail {
// The two ways isValidUtf8 goes: byte by byte, and 32 bytes at a time where
// the processor has the instructions (else byte by byte too). Both are here
// so that they can be held against each other.
bool isValidUtf8Scalar(const char* data, std::size_t size) noexcept;
bool isValidUtf8Wide(const char* data, std::size_t size) noexcept;
} // namespace detail

// The Unicode code point of a Windows-1252 byte (undefined bytes map to U+FFFD-free
// C1 controls, as the platform's code page does).
char32_t cp1252ToUnicode(unsigned char byte) noexcept;

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, char32_t cp);

// Decodes one code point at s[pos] in a UTF-8 text; returns its length in bytes
// (1 for a byte that does not start a valid sequence, which then stands for itself).
std::size_t decodeUtf8(std::string_view s, std::size_t pos, char32_t& cp) noexcept;

// The text converted to UTF-8 (unchanged for UTF-8 documents).
std::string toUtf8(std::string_view text, Codec codec);

// Upper case by the codec: simple one-to-one Unicode mapping per code point for
// UTF-8, the 256-entry table for Windows-1252. The byte length may change in UTF-8
// (for example U+0131 dotless i becomes I).
std::string toUpper(std::string_view text, Codec codec);
void toUpperInPlace(std::string& text, Codec codec);

// Number of characters: code points in UTF-8, bytes otherwise.
std::size_t charCount(std::string_view text, Codec codec) noexcept;

// Byte offset of the character with the given 0-based index (text.size() when past the end).
std::size_t byteOffsetOfChar(std::string_view text, std::size_t charIndex, Codec codec) noexcept;

// The no-break space in the codec's bytes: C2 A0 in UTF-8, A0 otherwise.
std::string_view noBreakSpace(Codec codec) noexcept;

// Replaces every no-break space by one ordinary space; returns the new length.
// Works in place: the text only shrinks.
std::size_t convertNoBreakSpaces(char* data, std::size_t size, Codec codec) noexcept;

// Case-insensitive locale collation (the user's locale, secondary strength).
class Collation {
public:
    // locale empty: the user's default locale.
    explicit Collation(Codec codec, const char* locale = nullptr);
    ~Collation();
    Collation(const Collation&) = delete;
    Collation& operator=(const Collation&) = delete;
    Collation(Collation&&) noexcept;
    Collation& operator=(Collation&&) noexcept;

    // <0, 0, >0 like strcmp.
    int compare(std::string_view a, std::string_view b) const;
    Codec codec() const noexcept { return codec_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    Codec codec_;
};

} // namespace twinsift
