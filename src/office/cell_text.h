#pragma once
// How a spreadsheet cell's stored value reads as text, and how a text goes back.

#include <optional>
#include <string>
#include <string_view>

namespace twinsift::office {

// At most 15 significant digits, '.' as decimal separator, exponent form
// (E+NN / E-NN) outside the plain range, as a spreadsheet's General format.
std::string formatNumber(double v);

enum class DateKind { None, Date, Time, DateTime };

// What a number format shows: built-in format ids and custom format codes.
DateKind classifyNumberFormat(int numFmtId, std::string_view code);

// A serial date as YYYY-MM-DD, YYYY-MM-DD hh:mm:ss or hh:mm:ss.
std::string formatSerialDate(double serial, DateKind kind, bool date1904);

// ISO 8601 date-time text ("2024-03-01", "2024-03-01T10:00:00.5") in the same form.
std::string formatIsoDateTime(std::string_view iso);
// ISO 8601 duration ("PT13H45M00S") as hh:mm:ss.
std::string formatIsoDuration(std::string_view duration);

// Decodes the _xHHHH_ escapes of spreadsheet strings; encodes what needs them.
std::string decodeOoxmlEscapes(std::string_view s);
std::string encodeOoxmlEscapes(std::string_view s);

// The number a text stands for when it is numeric: optional blanks around an
// optional sign, digits with an optional decimal point, an optional exponent.
std::optional<double> numericValue(std::string_view text);

// Shortest text that reads back as the same double.
std::string numberToXml(double v);

} // namespace twinsift::office
