#pragma once

#include <QString>
#include <cstdint>

// The validated text boxes of the options panel never show a message: invalid text
// is replaced at once by a fixed text.
namespace BoxValidation {

struct Result {
    QString text; // what the box must show (unchanged when the input was valid)
    double value; // the numeric value of that text
};

// A whole number or decimal, as a number-checking text box reads it.
bool isNumber(const QString& text, double* value = nullptr);

// Gamma step: not a number or below 0 gives "15", above 255 gives "255".
Result gammaText(const QString& text);
// Rounded to the nearest integer, a tie going to the even neighbour.
std::uint8_t gammaStep(double value);

// Tolerance: not a number or below 0 gives "0", above 255 gives "255"; the value is
// rounded as the gamma step is.
Result toleranceText(const QString& text);
inline std::uint8_t tolerance(double value)
{
    return gammaStep(value);
}

// Popup transparency percent: not a number or below 0 gives "80", above 100 gives "100".
Result levelText(const QString& text);
// floor(percent / 100 * 255).
std::uint8_t popupAlpha(double percent);

} // namespace BoxValidation
