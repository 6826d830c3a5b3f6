#include "StateNumberText.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace selvandrine
{
    std::optional<double> valueJuceCannotRead (const juce::String& text) noexcept
    {
        // Follows JUCE's reader step by step, with its integers widened and held below overflow.
        constexpr int maxSignificantDigits = 18;
        constexpr std::int64_t intMax = std::numeric_limits<int>::max();

        auto t = text.getCharPointer().findEndOfWhitespace();
        const auto negative = *t == '-';

        if (*t == '-' || *t == '+')
            ++t;

        std::int64_t significantDigits = 0, extraExponent = 0;
        bool pointFound = false, leadingZeros = false, nonZeroDigit = false;

        for (;;)
        {
            if (t.isDigit())
            {
                const auto digit = (int) t.getAndAdvance() - '0';

                if (significantDigits >= maxSignificantDigits)
                {
                    extraExponent += pointFound ? 0 : 1;
                    continue;
                }

                if (! pointFound && significantDigits == 0 && digit == 0)
                {
                    leadingZeros = true;
                    continue;
                }

                nonZeroDigit = nonZeroDigit || digit != 0;
                ++significantDigits;
            }
            else if (! pointFound && *t == '.')
            {
                ++t;
                pointFound = true;
            }
            else
            {
                break;
            }
        }

        // No digits (a name such as "inf", or no number at all): JUCE stops before any exponent.
        if ((! leadingZeros && significantDigits == 0) || (*t != 'e' && *t != 'E'))
            return {};

        ++t;
        const auto negativeExponent = *t == '-';

        if (*t == '-' || *t == '+')
            ++t;

        std::int64_t exponent = 0;

        while (t.isDigit())
            exponent = std::min (exponent * 10 + ((int) t.getAndAdvance() - '0'), intMax + 1);

        if (exponent <= intMax && (negativeExponent || exponent + extraExponent <= intMax))
            return {};

        const auto sign = negative ? -1.0 : 1.0;

        if (! nonZeroDigit || negativeExponent)
            return sign * 0.0;

        return sign * std::numeric_limits<double>::infinity();
    }
}
