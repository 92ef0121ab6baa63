#include "update/NumericCompare.h"

namespace gaugelet {

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Compares two digit runs by value: leading zeros dropped, then length, then digits.
int compareDigitRuns(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

} // namespace

int numericCompare(QStringView lhs, QStringView rhs)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < lhs.size() && j < rhs.size()) {
        if (isDigit(lhs[i]) && isDigit(rhs[j])) {
            qsizetype ei = i;
            while (ei < lhs.size() && isDigit(lhs[ei]))
                ++ei;
            qsizetype ej = j;
            while (ej < rhs.size() && isDigit(rhs[ej]))
                ++ej;
            if (int c = compareDigitRuns(lhs.sliced(i, ei - i), rhs.sliced(j, ej - j)))
                return c;
            i = ei;
            j = ej;
            continue;
        }
        if (lhs[i] != rhs[j])
            return lhs[i] < rhs[j] ? -1 : 1;
        ++i;
        ++j;
    }
    const bool lhsLeft = i < lhs.size();
    const bool rhsLeft = j < rhs.size();
    if (lhsLeft == rhsLeft)
        return 0;
    return lhsLeft ? 1 : -1;
}

} // namespace gaugelet
