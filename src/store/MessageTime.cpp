#include "MessageTime.h"

#include <array>

namespace corvane
{

namespace
{

const std::array<const char *, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A small cursor over the text being read.
struct Cursor {
    QStringView s;
    qsizetype i = 0;

    bool atEnd() const { return i >= s.size(); }
    QChar peek() const { return atEnd() ? QChar() : s[i]; }
    void skipBlanks()
    {
        while (!atEnd() && (s[i] == u' ' || s[i] == u'\t'))
            ++i;
    }
    // Reads 1 to maxDigits digits; returns -1 when there are none.
    int number(int maxDigits, int *digits = nullptr)
    {
        int value = 0, n = 0;
        while (n < maxDigits && !atEnd() && s[i].isDigit() && s[i].unicode() < 128) {
            value = value * 10 + (s[i].unicode() - '0');
            ++i;
            ++n;
        }
        if (digits)
            *digits = n;
        return n == 0 ? -1 : value;
    }
    bool accept(QChar c)
    {
        if (peek() == c) {
            ++i;
            return true;
        }
        return false;
    }
    bool acceptDateSeparator()
    {
        const QChar c = peek();
        if (c == u'/' || c == u'-' || c == u'.') {
            ++i;
            return true;
        }
        return false;
    }
    int monthName()
    {
        if (i + 3 > s.size())
            return -1;
        const QStringView word = s.mid(i, 3);
        for (int m = 0; m < 12; ++m) {
            if (word.compare(QLatin1String(kMonths[m]), Qt::CaseInsensitive) == 0) {
                i += 3;
                while (!atEnd() && s[i].isLetter())
                    ++i; // "March", "Sept"
                return m + 1;
            }
        }
        return -1;
    }
};

int fullYear(int year, int digits)
{
    if (digits > 2)
        return year;
    return year < 80 ? 2000 + year : 1900 + year;
}

QStringView trimmed(QStringView text)
{
    qsizetype b = 0, e = text.size();
    auto junk = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'[' || c == u']' || c == u'\r' || c == u'\n';
    };
    while (b < e && junk(text[b]))
        ++b;
    while (e > b && junk(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}

bool readDate(Cursor &c, MessageTime &t)
{
    int d1 = 0, d2 = 0, d3 = 0;
    const int first = c.number(4, &d1);
    if (first < 0)
        return false;
    if (d1 == 4) { // storage form, year first
        t.year = first;
        if (!c.acceptDateSeparator() || (t.month = c.number(2)) < 0 || !c.acceptDateSeparator() ||
            (t.day = c.number(2)) < 0)
            return false;
        return true;
    }
    if (d1 > 2)
        return false;
    t.day = first;
    if (c.acceptDateSeparator()) {
        const QChar next = c.peek();
        t.month = next.isLetter() ? c.monthName() : c.number(2, &d2);
        if (t.month < 0 || !c.acceptDateSeparator())
            return false;
    } else if (c.peek() == u' ') {
        c.skipBlanks();
        if ((t.month = c.monthName()) < 0)
            return false;
        c.skipBlanks();
        c.acceptDateSeparator();
    } else {
        return false;
    }
    const int year = c.number(4, &d3);
    if (year < 0 || d3 == 3)
        return false;
    t.year = fullYear(year, d3);
    return true;
}

bool readClock(Cursor &c, MessageTime &t)
{
    if ((t.hour = c.number(2)) < 0 || !c.accept(u':') || (t.minute = c.number(2)) < 0)
        return false;
    if (c.accept(u':') && (t.second = c.number(2)) < 0)
        return false;
    return true;
}

} // namespace

std::optional<MessageTime> MessageTime::parse(QStringView text)
{
    Cursor c{trimmed(text)};
    MessageTime t;
    if (!readDate(c, t))
        return std::nullopt;
    if (!c.atEnd()) {
        const qsizetype before = c.i;
        c.skipBlanks();
        if (c.i == before && !c.accept(u'T'))
            return std::nullopt;
        if (!readClock(c, t))
            return std::nullopt;
    }
    if (!c.atEnd() || !t.isValid())
        return std::nullopt;
    return t;
}

std::optional<MessageTime> MessageTime::fromStorage(QStringView text)
{
    static constexpr char kShape[] = "dddd-dd-dd dd:dd:dd";
    if (text.size() != qsizetype(sizeof kShape - 1))
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (kShape[i] == 'd' ? (c < '0' || c > '9') : c != char16_t(kShape[i]))
            return std::nullopt;
    }
    auto number = [text](qsizetype from, qsizetype n) {
        int v = 0;
        for (qsizetype i = from; i < from + n; ++i)
            v = v * 10 + (text[i].unicode() - '0');
        return v;
    };
    const MessageTime t{number(0, 4),  number(5, 2),  number(8, 2),
                        number(11, 2), number(14, 2), number(17, 2)};
    if (!t.isValid())
        return std::nullopt;
    return t;
}

bool MessageTime::isValid() const
{
    return year >= 100 && year <= 9999 && QDate::isValid(year, month, day) && hour >= 0 &&
           hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

MessageTime MessageTime::fromDateTime(const QDateTime &dt)
{
    const QDate d = dt.date();
    const QTime tm = dt.time();
    return {d.year(), d.month(), d.day(), tm.hour(), tm.minute(), tm.second()};
}

MessageTime MessageTime::now()
{
    return fromDateTime(QDateTime::currentDateTime());
}

QDateTime MessageTime::toDateTime() const
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

MessageTime MessageTime::withoutSeconds() const
{
    MessageTime t = *this;
    t.second = 0;
    return t;
}

QString MessageTime::monthAbbreviation(int month)
{
    return month >= 1 && month <= 12 ? QString::fromLatin1(kMonths[month - 1]) : QString();
}

namespace
{
void put2(char *p, int v)
{
    p[0] = char('0' + v / 10 % 10);
    p[1] = char('0' + v % 10);
}
void put4(char *p, int v)
{
    put2(p, v / 100);
    put2(p + 2, v % 100);
}
} // namespace

QByteArray MessageTime::toStorageBytes() const
{
    QByteArray out(19, Qt::Uninitialized);
    char *b = out.data();
    put4(b, year);
    b[4] = '-';
    put2(b + 5, month);
    b[7] = '-';
    put2(b + 8, day);
    b[10] = ' ';
    put2(b + 11, hour);
    b[13] = ':';
    put2(b + 14, minute);
    b[16] = ':';
    put2(b + 17, second);
    return out;
}

QString MessageTime::toStorage() const
{
    return QString::fromLatin1(toStorageBytes());
}

QString MessageTime::toDisplay() const
{
    char b[16];
    put2(b, day);
    b[2] = '/';
    put2(b + 3, month);
    b[5] = '/';
    put4(b + 6, year);
    b[10] = ' ';
    put2(b + 11, hour);
    b[13] = ':';
    put2(b + 14, minute);
    return QString::fromLatin1(b, 16);
}

QString MessageTime::toGeneralDate() const
{
    char b[3];
    put2(b, second);
    return toDisplay() + u':' + QLatin1String(b, 2);
}

QString MessageTime::toDayMonthYear() const
{
    char b[2];
    put2(b, day);
    char hm[5];
    put2(hm, hour);
    hm[2] = ':';
    put2(hm + 3, minute);
    return QLatin1String(b, 2) + u' ' + monthAbbreviation(month) + u' ' + QString::number(year) +
           u' ' + QLatin1String(hm, 5);
}

} // namespace corvane
