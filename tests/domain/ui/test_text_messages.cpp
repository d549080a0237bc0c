// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Messages without a window: one line each, the default button as answer.
#include "domain/ui/TextMessages.h"

#include <QTest>

class TextMessagesTest : public QObject
{
    Q_OBJECT
private slots:
    void line_data();
    void line();
};

void TextMessagesTest::line_data()
{
    QTest::addColumn<bool>("withCaption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("caption") << true << QStringLiteral("COM 1 : not available.")
                             << QStringLiteral("Nesk DEMO: COM 1 : not available.");
    QTest::newRow("no caption") << false << QStringLiteral("x") << QStringLiteral("x");
    // Two-line messages join their lines with a lone CR, which would
    // overwrite the line on a terminal.
    QTest::newRow("two lines") << true
                               << QStringLiteral("The file have been modefied,\rdo you want to save it?")
                               << QStringLiteral(
                                      "Nesk DEMO: The file have been modefied, do you want to save it?");
}

void TextMessagesTest::line()
{
    QFETCH(bool, withCaption);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QStringList sunk;
    TextMessages messages([&](const QString &l) { sunk << l; },
                          withCaption ? TextMessages::Caption::Shown : TextMessages::Caption::Left);
    // Nobody answers: the box's default button is the answer.
    QCOMPARE(messages.show(text, MessageBox::Buttons::YesNoCancel, MessageBox::Icon::Exclamation,
                           QStringLiteral("Nesk DEMO"), MessageBox::Answer::Cancel),
             MessageBox::Answer::Cancel);
    QCOMPARE(sunk, QStringList{expected});
    QCOMPARE(messages.shown, QStringList{expected});
}

QTEST_MAIN(TextMessagesTest)
#include "test_text_messages.moc"
