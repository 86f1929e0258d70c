// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "cell.h"

namespace km {

// Result of reading a whole text as a number (blanks around it allowed).
struct NumericText {
  enum Status { Ok, NotANumber, TooLarge } status;
  double value;
};
// Reads a text that must be one number: optional sign, digits with at most one ".", an
// optional exponent (E or D, optional sign, digits). Blanks and tabs may surround it.
NumericText readNumericText(std::string_view text);
inline bool isNumericText(std::string_view text) {
  return readNumericText(text).status == NumericText::Ok;
}

// The number a text starts with: blanks, tabs and line breaks are ignored wherever they are,
// the longest leading number is taken, and a text without one gives 0. Never fails; a
// magnitude beyond the double range gives the largest double of that sign.
double Val(std::string_view text);

// Number to text: a blank before a non-negative number, "-" before a negative one, no zero
// before the decimal point, up to 7 significant digits for a single and 15 for a double, and
// the form 1.5E+20 outside 1E-4 <= |x| < 10^digits. A text is read as a number first.
std::string Str(const Cell& value);

// A number as a message writes it: Str's digits without its leading blank, a zero before a
// bare decimal point and thousands separated by commas ("0.5", "1,000,000", "1E+151").
std::string readerText(const Cell& value);

// The next whole number downward, of the same kind (a text gives a Double, Empty gives 0).
Cell Int(const Cell& value);

// The readout form of Int(value): plain digits, "-" when negative, no blank or decimal point.
// Magnitudes of 10^15 and above are written with 15 significant digits and an exponent.
std::string readoutText(const Cell& value);
// Same, into a caller's buffer of at least 32 characters; returns the length written.
std::size_t readoutText(const Cell& value, char* out);

// "HH:MM:SS" on the 24-hour clock for a time of day given in seconds since midnight.
std::string timeOfDayText(double secondsSinceMidnight);

}  // namespace km
