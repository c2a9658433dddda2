#include "app/Numbers.h"

namespace
{

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = 16;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

} // namespace

std::optional<qint32> ReadInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    // Decimal may reach 2^31 only with a minus sign; hexadecimal fills all 32 bits.
    const quint64 limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        value = value * unsigned(base) + unsigned(digit);
        if (value > limit)
            return std::nullopt;
    }
    const quint32 bits = quint32(value);
    return qint32(negative ? 0u - bits : bits);
}

qint32 WrappingSum(qint32 a, qint32 b)
{
    return qint32(quint32(a) + quint32(b));
}

qint32 WrappingDifference(qint32 a, qint32 b)
{
    return qint32(quint32(a) - quint32(b));
}
