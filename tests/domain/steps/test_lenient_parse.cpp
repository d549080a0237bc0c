// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/steps/LenientNumber.h"

#include <QTest>
#include <cmath>

class LenientParseTest : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void ignoresSystemNumberSettings();
};

void LenientParseTest::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    const QList<QPair<const char *, double>> cases = {
        {"110.00", 110.0},   {"", 0.0},        {"abc", 0.0},     {"12abc", 12.0},
        {"1,5", 1.0},                                           // a comma ends the number
        {"1e2", 100.0},      {"1E+2", 100.0},  {"2.5d1", 25.0}, // D exponent, either case
        {"2.5D-1", 0.25},    {"1e", 1.0},      // exponent without digits is not part of the number
        {"  5", 5.0},        {"1 2 3", 123.0}, // blanks removed first
        {"\t4\n2", 42.0},                      // tabs and line feeds too
        {"-1", -1.0},        {"+7.5", 7.5},    {".5", 0.5},      {"5.", 5.0},
        {"-.25", -0.25},     {".", 0.0},       {"-", 0.0},       {"&H1F", 31.0},
        {"&hff", 255.0},     {"&O17", 15.0},   {"&o8", 0.0}, // 8 is no octal digit
        {"&H", 0.0},         {"&X12", 0.0},    {"0.015", 0.015}, {"65.53", 65.53},
        {"1e400", INFINITY}, {"1e-400", 0.0},
    };
    for (const auto &[text, value] : cases)
        QTest::newRow(text[0] ? text : "(empty)") << QString::fromLatin1(text) << value;
    QTest::newRow("non-latin ends the number") << QStringLiteral("3\u20ac4") << 3.0;
}

void LenientParseTest::parse()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const double got = lenientNumber(text);
    if (std::isinf(value))
        QVERIFY(std::isinf(got) && got > 0);
    else
        QCOMPARE(got, value);
}

void LenientParseTest::ignoresSystemNumberSettings()
{
    // A decimal comma locale must not change how "." reads.
    const char *old = std::setlocale(LC_NUMERIC, nullptr);
    const QByteArray saved = old ? QByteArray(old) : QByteArray("C");
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        std::setlocale(LC_NUMERIC, "C");
    QCOMPARE(lenientNumber(u"1.5"), 1.5);
    QCOMPARE(lenientNumber(u"1,5"), 1.0);
    std::setlocale(LC_NUMERIC, saved.constData());
}

QTEST_GUILESS_MAIN(LenientParseTest)
#include "test_lenient_parse.moc"
