#include "mainwindow/BoxValidation.h"

#include <QLocale>
#include <cfenv>
#include <cmath>

namespace BoxValidation {

bool isNumber(const QString& text, double* value)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok && value)
        *value = v;
    return ok && std::isfinite(v);
}

namespace {

Result validate(const QString& text, const QString& fallback, double maximum, const QString& maximumText)
{
    Result r{text, 0};
    if (!isNumber(r.text, &r.value))
        r = {fallback, 0};
    isNumber(r.text, &r.value);
    if (r.value > maximum)
        r.text = maximumText;
    isNumber(r.text, &r.value);
    if (r.value < 0)
        r.text = fallback;
    isNumber(r.text, &r.value);
    return r;
}

} // namespace

Result gammaText(const QString& text)
{
    return validate(text, QStringLiteral("15"), 255, QStringLiteral("255"));
}

std::uint8_t gammaStep(double value)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return std::uint8_t(std::clamp(rounded, 0.0, 255.0));
}

Result toleranceText(const QString& text)
{
    return validate(text, QStringLiteral("0"), 255, QStringLiteral("255"));
}

Result levelText(const QString& text)
{
    return validate(text, QStringLiteral("80"), 100, QStringLiteral("100"));
}

std::uint8_t popupAlpha(double percent)
{
    return std::uint8_t(std::clamp(std::floor(percent / 100.0 * 255.0), 0.0, 255.0));
}

} // namespace BoxValidation
