// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/files/StepFileFormat.h"

#include "domain/steps/NumberScan.h"
#include "domain/steps/StepText.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int FieldSlots = 9; // check state, label, seven values

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// Cuts bytes into lines. A line ends at CR LF, a lone CR or a lone LF; the
// end of the bytes ends a last line that has no line end of its own.
class LineReader
{
public:
    explicit LineReader(QByteArrayView bytes) : m_pos(bytes.begin()), m_end(bytes.end()) {}

    bool next(QByteArrayView &line)
    {
        if (m_pos == m_end)
            return false;
        const char *stop = std::find_if(m_pos, m_end, [](char c) { return c == '\r' || c == '\n'; });
        line = QByteArrayView(m_pos, stop - m_pos);
        m_pos = stop;
        if (m_pos != m_end && *m_pos++ == '\r' && m_pos != m_end && *m_pos == '\n')
            ++m_pos;
        return true;
    }

    QByteArrayView rest() const { return QByteArrayView(m_pos, m_end - m_pos); }

private:
    const char *m_pos;
    const char *m_end;
};

// The record count: a decimal integer with blanks around it. Anything else
// (an empty line, a word, a fraction, a count below zero) is no count, -1,
// and reads as no records. Very large counts are capped; reading stops at
// the end of the file anyway.
qint64 recordCount(QByteArrayView line)
{
    line = trimmed(line);
    bool negative = false;
    if (!line.isEmpty() && (line.front() == '+' || line.front() == '-')) {
        negative = line.front() == '-';
        line = line.sliced(1);
    }
    if (line.isEmpty())
        return -1;
    constexpr qint64 Cap = qint64(1) << 48;
    qint64 n = 0;
    for (char c : line) {
        if (!NumberScan::isDigit(NumberScan::unit(c)))
            return -1;
        n = std::min(Cap, n * 10 + (c - '0'));
    }
    return negative && n > 0 ? -1 : n;
}

// The fields of a record line: the texts before each of its first nine
// TABs. Returns how many were found.
int splitFields(QByteArrayView line, std::array<QByteArrayView, FieldSlots> &fields)
{
    const char *p = line.begin();
    const char *end = line.end();
    int found = 0;
    while (found < FieldSlots && p != end) {
        const auto *tab = static_cast<const char *>(std::memchr(p, '\t', size_t(end - p)));
        if (!tab)
            break;
        fields[size_t(found++)] = QByteArrayView(p, tab - p);
        p = tab + 1;
    }
    return found;
}

QString counted(qint64 n, const char *one, const char *many)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// A line's text as a note quotes it: its controls written out, a long one cut.
QString quoted(QByteArrayView text)
{
    constexpr qsizetype Longest = 40;
    const QString shown = StepText::escapeControls(
        QString::fromLatin1(text.first(std::min(text.size(), Longest))));
    return QLatin1Char('"') + shown + (text.size() > Longest ? QStringLiteral("...\"") : QStringLiteral("\""));
}

void appendLatin1(QByteArray &out, const QString &text)
{
    for (QChar c : text)
        out.append(c.unicode() < 0x100 ? char(c.unicode()) : '?');
}

} // namespace

namespace StepFileFormat {

QByteArray format(const std::vector<StepRecord> &rows)
{
    qsizetype size = 16;
    for (const StepRecord &r : rows) {
        size += 5 + FieldSlots + 2 + r.label.size();
        for (const QString &v : r.values)
            size += v.size();
    }
    QByteArray out;
    out.reserve(size);
    out.append(' ').append(QByteArray::number(qint64(rows.size()))).append(" \r\n");
    for (const StepRecord &r : rows) {
        out.append(r.checked ? "True\t" : "False\t");
        appendLatin1(out, r.label);
        out.append('\t');
        for (const QString &v : r.values) {
            appendLatin1(out, v);
            out.append('\t');
        }
        out.append("\r\n");
    }
    return out;
}

QStringList readingNotes(QByteArrayView bytes)
{
    QStringList notes;
    LineReader lines(bytes);
    QByteArrayView line;
    if (!lines.next(line)) {
        notes << QStringLiteral("the file is empty: it holds no steps");
        return notes;
    }
    const qint64 count = recordCount(line);
    if (count < 0) {
        if (line.startsWith("\xEF\xBB\xBF"))
            notes << QStringLiteral(
                "its first line begins with a UTF-8 byte order mark, so it does not read as "
                "the number of steps, and no step is read (save it as ANSI or Latin-1 text)");
        else
            notes << QStringLiteral("its first line, %1, is not the number of steps, so no step is read")
                         .arg(quoted(line));
        return notes;
    }

    if (lines.rest().contains("\r\r\n"))
        notes << QStringLiteral("its lines end in CR CR LF (a line end converted twice), so each record is "
                                "followed by an empty line that is read as a step of its own");

    // Lines whose fields are not all TAB-ended: the first few, then a count.
    constexpr int Listed = 3;
    qint64 short_ = 0;
    qint64 read = 0;
    std::array<QByteArrayView, FieldSlots> fields;
    for (; read < count && lines.next(line); ++read) {
        const int found = splitFields(line, fields);
        if (found == FieldSlots)
            continue;
        if (++short_ > Listed)
            continue;
        const qint64 number = read + 2;
        if (line.isEmpty()) {
            notes << QStringLiteral("line %1 is empty: its step's cells are empty").arg(number);
            continue;
        }
        const qsizetype lastTab = line.lastIndexOf('\t');
        const QByteArrayView tail = line.sliced(lastTab + 1);
        QString note = QStringLiteral("line %1 holds %2 of the nine fields that each end in a TAB")
                           .arg(number)
                           .arg(found);
        if (!tail.isEmpty())
            note += QStringLiteral("; the text after its last TAB, %1, is not read").arg(quoted(tail));
        notes << note + QStringLiteral(", and the step's missing cells are empty");
    }
    if (short_ > Listed)
        notes << QStringLiteral("%1 like these").arg(counted(short_ - Listed, "more line", "more lines"));
    if (read < count)
        notes << QStringLiteral("its first line gives %1, but only %2 it")
                     .arg(counted(count, "step", "steps"), counted(read, "line follows", "lines follow"));
    qint64 more = 0;
    while (lines.next(line))
        more += !trimmed(line).isEmpty();
    if (more > 0)
        notes << QStringLiteral("its first line gives %1, and %2 them: %3 not read")
                     .arg(counted(count, "step", "steps"),
                          counted(more, "more line follows", "more lines follow"),
                          QLatin1String(more == 1 ? "it is" : "they are"));
    return notes;
}

bool checkState(QByteArrayView field)
{
    const QByteArrayView text = trimmed(field);
    if (text.compare("true", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare("false", Qt::CaseInsensitive) == 0)
        return false;

    // A number: sign, digits with an optional point, an optional exponent.
    // It is not zero exactly when one of its digits before the exponent is
    // not zero, so it never has to be converted.
    const NumberScan::Number number = NumberScan::scan(text, 0, {.groupCommas = false, .exponentD = true});
    return number.digits > 0 && !number.badExponent && number.end == text.size() && number.nonZero;
}

std::vector<StepRecord> parse(QByteArrayView bytes)
{
    std::vector<StepRecord> rows;
    LineReader lines(bytes);
    QByteArrayView line;
    if (!lines.next(line))
        return rows;
    const qint64 count = recordCount(line);
    if (count <= 0)
        return rows;

    // Never trust the count for the reservation: a file holds at most one
    // record per line end, plus one unterminated last line.
    const QByteArrayView rest = lines.rest();
    const qint64 lineEnds = std::count(rest.begin(), rest.end(), '\n');
    rows.reserve(size_t(std::min(count, lineEnds + 1)));

    // Cells usually repeat the cell above ("On", "Auto", "60.00"): such
    // cells share the text of the row before instead of holding a copy.
    std::array<QByteArrayView, FieldSlots> fields;
    std::array<QByteArrayView, FieldSlots> previous;
    int previousFound = 0;
    for (qint64 i = 0; i < count && lines.next(line); ++i) {
        const int found = splitFields(line, fields);
        StepRecord record;
        record.checked = found >= 1 && checkState(fields[0]);
        for (int slot = 1; slot < found; ++slot) {
            QString &cell = slot == 1 ? record.label : record.values[size_t(slot - 2)];
            const QByteArrayView text = fields[size_t(slot)];
            if (slot < previousFound && text == previous[size_t(slot)]) {
                const StepRecord &above = rows.back();
                cell = slot == 1 ? above.label : above.values[size_t(slot - 2)];
            } else {
                cell = QString::fromLatin1(text);
            }
        }
        rows.push_back(std::move(record));
        previous = fields;
        previousFound = found;
    }
    return rows;
}

} // namespace StepFileFormat
