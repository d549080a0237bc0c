// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// One numeric field with its range, on its own: what each of its three
// events does to the field, the focus and the message box.
#include "steps/RangedField.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

class RangedFieldTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void leaveAndEnter_data();
    void leaveAndEnter();
    void otherKeys_checkNothing();
    void gotFocus_selectsWholeText();
    void accepted_judgesWithoutTouching_data();
    void accepted_judgesWithoutTouching();
    void accepted_fieldGone_isFalse();

private:
    std::unique_ptr<QWidget> window;
    QLineEdit *field = nullptr;
    QLineEdit *other = nullptr;
    FakeMessageBox messages;
};

namespace {
const FieldRange *rangeNamed(const QString &name)
{
    static const std::pair<const char *, FieldRange> ranges[] = {
        {"voltage", FieldRanges::Voltage},        {"frequency", FieldRanges::Frequency},
        {"start phase", FieldRanges::StartPhase}, {"stop phase", FieldRanges::StopPhase},
        {"dwell", FieldRanges::WorkTime},         {"cycle", FieldRanges::CycleTime},
    };
    for (const auto &[n, range] : ranges)
        if (name == QLatin1String(n))
            return &range;
    qFatal("no range %s", qPrintable(name));
}
} // namespace

void RangedFieldTest::init()
{
    window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(window.get());
    field = new QLineEdit(window.get());
    other = new QLineEdit(window.get());
    layout->addWidget(field);
    layout->addWidget(other);
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    messages.shown.clear();
}

void RangedFieldTest::cleanup()
{
    window.reset();
}

void RangedFieldTest::leaveAndEnter_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty when accepted
    QTest::addColumn<QString>("after");   // the field's text afterwards

    QTest::newRow("voltage good") << "voltage"
                                  << "110"
                                  << ""
                                  << "110.00";
    QTest::newRow("voltage over") << "voltage"
                                  << "310.01"
                                  << " 0 to  310 only!"
                                  << "310.01";
    QTest::newRow("frequency under") << "frequency"
                                     << "39"
                                     << " 40 to  500 only!"
                                     << "39";
    QTest::newRow("frequency empty") << "frequency"
                                     << ""
                                     << " 40 to  500 only!"
                                     << "";
    QTest::newRow("start phase good") << "start phase"
                                      << "90.5"
                                      << ""
                                      << "90.50";
    QTest::newRow("stop phase over") << "stop phase"
                                     << "361"
                                     << " 0 to  360 only!"
                                     << "361";
    QTest::newRow("dwell zero") << "dwell"
                                << "0"
                                << " .01 to  65.53 only!"
                                << "0";
    QTest::newRow("dwell good") << "dwell"
                                << "65.53"
                                << ""
                                << "65.53";
    QTest::newRow("cycle good") << "cycle"
                                << "12.4"
                                << ""
                                << "12";
    QTest::newRow("cycle zero") << "cycle"
                                << "0"
                                << " 1 to  9999 only!"
                                << "0";
}

// Leaving the field and Enter in it run the same check.
void RangedFieldTest::leaveAndEnter()
{
    QFETCH(QString, range);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, after);
    const RangedField ranged(field, *rangeNamed(range), messages);

    for (const bool byEnter : {false, true}) {
        messages.shown.clear();
        field->setText(typed);
        other->setFocus(); // the focus has left the field when its check runs
        if (byEnter)
            ranged.keyPress(13);
        else
            ranged.lostFocus();
        QCOMPARE(field->text(), after);
        if (message.isEmpty()) {
            QVERIFY(messages.shown.isEmpty());
            QCOMPARE(QApplication::focusWidget(), other);
            continue;
        }
        QCOMPARE(messages.shown.size(), 1);
        const FakeMessageBox::Shown &m = messages.shown.first();
        QCOMPARE(m.text, message);
        QCOMPARE(m.caption, QStringLiteral("Error!!"));
        QCOMPARE(m.buttons, MessageBox::Buttons::Ok);
        QCOMPARE(m.icon, MessageBox::Icon::Exclamation);
        QCOMPARE(m.defaultButton, MessageBox::Answer::Ok);
        // Back in the field, the text as typed and selected to be typed over.
        QCOMPARE(QApplication::focusWidget(), field);
        QCOMPARE(field->selectedText(), typed);
    }
}

void RangedFieldTest::otherKeys_checkNothing()
{
    const RangedField ranged(field, FieldRanges::Voltage, messages);
    field->setText(QStringLiteral("999"));
    for (const int key : {0, 8, 10, 27, int('1'), int('a'), int('.')})
        ranged.keyPress(key);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(field->text(), QStringLiteral("999"));
}

void RangedFieldTest::gotFocus_selectsWholeText()
{
    const RangedField ranged(field, FieldRanges::Frequency, messages);
    field->setText(QStringLiteral("60.00"));
    field->setCursorPosition(3);
    ranged.gotFocus();
    QCOMPARE(field->selectionStart(), 0);
    QCOMPARE(field->selectedText(), QStringLiteral("60.00"));
    QVERIFY(messages.shown.isEmpty());
}

void RangedFieldTest::accepted_judgesWithoutTouching_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("voltage top") << "voltage"
                                 << "310" << true;
    QTest::newRow("voltage rounds up to top") << "voltage"
                                              << "309.996" << true;
    QTest::newRow("voltage just over") << "voltage"
                                       << "310.004" << false;
    QTest::newRow("frequency empty") << "frequency"
                                     << "" << false;
    QTest::newRow("dwell bottom") << "dwell"
                                  << ".01" << true;
    QTest::newRow("cycle over") << "cycle"
                                << "10000" << false;
}

void RangedFieldTest::accepted_judgesWithoutTouching()
{
    QFETCH(QString, range);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    field->setText(typed);
    QCOMPARE(RangedField(field, *rangeNamed(range), messages).accepted(), accepted);
    QCOMPARE(field->text(), typed);
    QVERIFY(messages.shown.isEmpty());
}

void RangedFieldTest::accepted_fieldGone_isFalse()
{
    QPointer<QLineEdit> gone(new QLineEdit(QStringLiteral("100")));
    delete gone.data();
    QVERIFY(!RangedField(gone, FieldRanges::Voltage, messages).accepted());
}

QTEST_MAIN(RangedFieldTest)
#include "test_ranged_field.moc"
