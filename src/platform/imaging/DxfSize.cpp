#include "imaging/DxfSize.h"

#include <algorithm>
#include <limits>

namespace wobbin {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView Trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && IsBlank(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && IsBlank(v.back()))
        v.chop(1);
    return v;
}

// A number as the reader takes it: leading digits after an optional sign,
// whatever follows ignored; 0 when there are none. Clamped to the qint64 range.
qint64 LeadingNumber(QByteArrayView v)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-'))
        negative = v[i++] == '-';
    qint64 n = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        if (n > (std::numeric_limits<qint64>::max() - 9) / 10) {
            n = std::numeric_limits<qint64>::max();
            break;
        }
        n = n * 10 + (v[i] - '0');
    }
    return negative ? -n : n;
}

bool Is(QByteArrayView value, const char *name)
{
    return value.compare(QByteArrayView(name), Qt::CaseInsensitive) == 0;
}

// The group codes whose value announces how many of something follow.
bool AnnouncesCount(QByteArrayView entity, qint64 code)
{
    if (Is(entity, "LWPOLYLINE"))
        return code == 90;
    if (Is(entity, "SPLINE"))
        return code == 72 || code == 73 || code == 74;
    if (Is(entity, "LEADER"))
        return code == 76;
    if (Is(entity, "HATCH"))
        return code == 91 || code == 93 || code == 95 || code == 96 || code == 97;
    return false;
}

// Values kept one by one besides the points: a spline's knots and weights.
bool IsListValue(QByteArrayView entity, qint64 code)
{
    return (code == 40 || code == 41) && (Is(entity, "SPLINE") || Is(entity, "HATCH"));
}

} // namespace

TDxfSize MeasureDxf(QByteArrayView data, qint64 limit)
{
    TDxfSize size;
    QByteArray entity;
    qint64 entityLine = 0;
    qint64 counted = 0;   // the entity's points and listed values
    qint64 announced = 0; // the numbers it announced, added up
    qint64 code = -1;
    bool codeLine = true;
    qint64 lineNumber = 0;
    const auto entityElements = [&] { return std::max(counted, announced); };
    const auto over = [&] { return size.Elements + entityElements() > limit; };

    qsizetype pos = 0;
    const qsizetype n = data.size();
    while (pos < n) {
        qsizetype end = data.indexOf('\n', pos);
        if (end < 0)
            end = n;
        const QByteArrayView raw = data.sliced(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (raw.size() > kDxfMaxLineLength) {
            size.LineTooLong = true;
            size.LongLine = lineNumber;
            return size;
        }
        const QByteArrayView line = Trimmed(raw);
        if (codeLine) {
            code = LeadingNumber(line);
            codeLine = false;
            continue;
        }
        codeLine = true;
        if (code == 0) {
            size.Elements += entityElements();
            counted = announced = 0;
            entity.clear();
            if (line != "SECTION" && line != "ENDSEC" && line != "EOF") {
                ++size.Elements;
                entity = line.toByteArray();
                entityLine = lineNumber;
            }
        } else if (entity.isEmpty()) {
            continue;
        } else if (code >= 10 && code <= 18) {
            ++counted;
        } else if (IsListValue(entity, code)) {
            ++counted;
        } else if (AnnouncesCount(entity, code)) {
            const qint64 number = LeadingNumber(line);
            if (number > 0)
                announced = number > limit ? limit + 1 : announced + number;
        } else {
            continue;
        }
        if (over()) {
            size.TooLarge = true;
            size.Entity = entity;
            size.EntityLine = entityLine;
            size.EntityElements = entityElements();
            size.Elements += entityElements();
            return size;
        }
    }
    size.Elements += entityElements();
    return size;
}

} // namespace wobbin
