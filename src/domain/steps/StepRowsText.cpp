// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/steps/StepRowsText.h"

#include "domain/steps/FieldRange.h"
#include "domain/steps/LenientNumber.h"
#include "domain/steps/NumberScan.h"
#include "domain/steps/NumberText.h"
#include "domain/steps/StepTableModel.h"
#include "domain/steps/StepText.h"
#include "domain/steps/StepWords.h"

#include <array>
#include <cmath>

namespace {

constexpr int LabelledCells = StepRecord::FieldCount + 1;

// Cells a spreadsheet would misread unquoted: a leading quote, or a tab or
// line break inside.
bool needsQuotes(const QString &cell)
{
    return cell.startsWith(u'"') || cell.contains(u'\t') || cell.contains(u'\r') || cell.contains(u'\n');
}

void appendCell(QString &out, const QString &cell)
{
    if (!needsQuotes(cell)) {
        out += cell;
        return;
    }
    out += u'"';
    out += QString(cell).replace(u'"', QStringLiteral("\"\""));
    out += u'"';
}

// Cuts pasted text into records of cells. A cell that begins with a quote
// runs to the closing quote (a doubled quote is one quote), across tabs and
// line ends; what follows the closing quote up to the next tab is kept too.
class CellReader
{
public:
    explicit CellReader(QStringView text) : m_text(text) {}

    // The next record and the line it starts on; false at the end.
    bool next(std::vector<QString> &cells, int &line)
    {
        if (m_pos >= m_text.size())
            return false;
        cells.clear();
        line = m_line;
        for (;;) {
            cells.push_back(readCell());
            if (m_pos >= m_text.size())
                return true;
            const QChar c = m_text[m_pos++];
            if (c == u'\t')
                continue;
            // A line end: CR LF, LF or a lone CR.
            if (c == u'\r' && m_pos < m_text.size() && m_text[m_pos] == u'\n')
                ++m_pos;
            ++m_line;
            return true;
        }
    }

private:
    static bool endsCell(QChar c) { return c == u'\t' || c == u'\r' || c == u'\n'; }

    QString readCell()
    {
        QString cell;
        if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
            ++m_pos;
            while (m_pos < m_text.size()) {
                const QChar c = m_text[m_pos++];
                if (c == u'"') {
                    if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
                        cell += u'"';
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                if (c == u'\n' || (c == u'\r' && !(m_pos < m_text.size() && m_text[m_pos] == u'\n')))
                    ++m_line;
                cell += c;
            }
        }
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && !endsCell(m_text[m_pos]))
            ++m_pos;
        cell += m_text.sliced(start, m_pos - start);
        return cell;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
};

bool isBlankRecord(const std::vector<QString> &cells)
{
    for (const QString &cell : cells)
        for (const QChar c : cell)
            if (!c.isSpace())
                return false;
    return true;
}

bool isTitleLine(const std::vector<QString> &cells)
{
    const QStringList &titles = StepTableModel::headers();
    const qsizetype skip = cells.size() == LabelledCells ? 0 : 1;
    if (qsizetype(cells.size()) + skip != titles.size())
        return false;
    for (size_t i = 0; i < cells.size(); ++i)
        if (cells[i].trimmed() != titles.at(qsizetype(i) + skip))
            return false;
    return true;
}

// A number that fills the whole cell (blanks aside): sign, digits, point,
// digits, exponent. The editor would read "1,5" as 1 and "n/a" as 0; from a
// paste nobody looks at those, so they are refused.
bool isWholeNumber(const QString &cell)
{
    QString s = cell;
    s.remove(u' ').remove(u'\t').remove(u'\n');
    const NumberScan::Number number = NumberScan::scan(s, 0, {.groupCommas = false, .exponentD = true});
    return number.digits > 0 && !number.badExponent && number.end == s.size();
}

bool fileCanHold(const QString &cell)
{
    for (const QChar c : cell)
        if (!StepText::fileCanHold(c.unicode()))
            return false;
    return true;
}

QString shown(const QString &cell)
{
    constexpr qsizetype Longest = 40;
    return cell.size() <= Longest ? cell : cell.left(Longest) + QStringLiteral("...");
}

QString place(int line, int column)
{
    return QStringLiteral("Cannot paste: line %1, column \"%2\"")
        .arg(line)
        .arg(StepTableModel::headers().at(column));
}

QString allowed(const FieldRange &range)
{
    return QStringLiteral("allowed: %1 to %2.")
        .arg(QString::number(range.minimum), QString::number(range.maximum));
}

// A dwell a run plays, to the millisecond (0 ms to the longest timer
// period): what a step file holds and Open takes, which may lie outside the
// editor's own field.
constexpr FieldRange PastedDwell{0, 65.535, 2};

const FieldRange *rangeOf(int field)
{
    switch (field) {
    case StepRecord::Voltage: return &FieldRanges::Voltage;
    case StepRecord::Frequency: return &FieldRanges::Frequency;
    case StepRecord::StartPhase: return &FieldRanges::StartPhase;
    case StepRecord::StopPhase: return &FieldRanges::StopPhase;
    case StepRecord::WorkTime: return &PastedDwell;
    default: return nullptr;
    }
}

// A pasted number in the form the editor writes: two decimals, or three for
// a dwell the two would round (a 60 Hz cycle's 0.008 s stays 8 ms).
QString pastedText(int field, double value, int decimals)
{
    if (field == StepRecord::WorkTime && std::fmod(std::nearbyint(value * 1000.0), 10.0) != 0.0)
        return fixedText(value, 3);
    return fixedText(value, decimals);
}

// Turns one record's cells into a step, or says what is wrong with them.
// Cells repeating the cell above share its result: a spreadsheet column
// repeats most of its values, and this keeps a large paste quick and small.
class RecordChecker
{
public:
    QString check(const std::vector<QString> &cells, int line, StepRecord &step)
    {
        const int count = int(cells.size());
        if (count != StepRecord::FieldCount && count != LabelledCells)
            return QStringLiteral("Cannot paste: line %1 has %2 cells; a step has 7 (Output to "
                                  "Dwell Time) or 8 (the label first).")
                .arg(line)
                .arg(count);
        const int first = count == LabelledCells ? 1 : 0;
        if (first == 1) {
            if (!fileCanHold(cells[0]))
                return place(line, 0) + QStringLiteral(" holds a character a step file cannot hold.");
            step.label = cells[0];
        }
        step.checked = true;
        for (int field = 1; field <= StepRecord::FieldCount; ++field) {
            const QString &cell = cells[size_t(first + field - 1)];
            QString &value = step.subItem(field);
            Previous &above = m_above[size_t(field - 1)];
            if (above.valid && above.raw == cell) {
                value = above.value;
                continue;
            }
            if (!fileCanHold(cell))
                return place(line, field) + QStringLiteral(" holds a character a step file cannot hold.");
            if (const FieldRange *range = rangeOf(field)) {
                if (!isWholeNumber(cell))
                    return place(line, field)
                           + QStringLiteral(" holds \"%1\", which is no number; ").arg(shown(cell))
                           + allowed(*range);
                const ModTool::FieldCheck judged = ModTool::judgeFieldText(cell, range->minimum, range->maximum,
                                                                           range->decimals);
                if (!judged.inRange)
                    return place(line, field) + QStringLiteral(" holds \"%1\"; ").arg(shown(cell))
                           + allowed(*range);
                const double number = lenientNumber(cell);
                // 0 holds a step until STOP on purpose; a dwell that only
                // rounds to it was not meant to.
                if (field == StepRecord::WorkTime && number > 0 && std::nearbyint(number * 1000.0) == 0.0)
                    return place(line, field)
                           + QStringLiteral(" holds \"%1\", under a millisecond, which plays as 0 ms and holds "
                                            "the step until STOP; ")
                                 .arg(shown(cell))
                           + allowed(*range);
                value = pastedText(field, number, range->decimals);
            } else {
                // Output and Range: one of their words in any letter case,
                // kept as they stand, as the editor keeps them.
                const QStringList &words = StepWords::of(field);
                if (!StepWords::allows(words, cell))
                    return place(line, field)
                           + QStringLiteral(" holds \"%1\"; allowed: %2.")
                                 .arg(shown(cell), StepWords::listed(words));
                value = cell;
            }
            above = {true, cell, value};
        }
        return {};
    }

private:
    struct Previous
    {
        bool valid = false;
        QString raw;
        QString value;
    };
    std::array<Previous, StepRecord::FieldCount> m_above;
};

} // namespace

namespace StepRowsText {

QString format(std::span<const StepRecord> rows)
{
    QString out;
    for (const StepRecord &r : rows) {
        appendCell(out, r.label);
        for (const QString &v : r.values) {
            out += u'\t';
            appendCell(out, v);
        }
        out += QStringLiteral("\r\n");
    }
    return out;
}

Pasted parse(QStringView text)
{
    Pasted pasted;
    CellReader reader(text);
    RecordChecker checker;
    std::vector<QString> cells;
    int line = 0;
    bool first = true;
    while (reader.next(cells, line)) {
        if (isBlankRecord(cells))
            continue;
        const bool titles = first && isTitleLine(cells);
        first = false;
        if (titles)
            continue;
        StepRecord step;
        const QString error = checker.check(cells, line, step);
        if (!error.isEmpty()) {
            pasted.rows.clear();
            pasted.error = error;
            pasted.errorLine = line;
            return pasted;
        }
        pasted.rows.push_back(std::move(step));
    }
    return pasted;
}

Pasted parseSteps(const std::vector<StepRecord> &records)
{
    Pasted pasted;
    RecordChecker checker;
    std::vector<QString> cells;
    int line = 0;
    for (const StepRecord &record : records) {
        ++line;
        cells.assign(1, record.label);
        cells.insert(cells.end(), record.values.begin(), record.values.end());
        StepRecord step;
        const QString error = checker.check(cells, line, step);
        if (!error.isEmpty()) {
            pasted.rows.clear();
            pasted.error = error;
            pasted.errorLine = line;
            return pasted;
        }
        step.checked = record.checked;
        pasted.rows.push_back(std::move(step));
    }
    return pasted;
}

} // namespace StepRowsText
