// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The six numeric entry fields: their handlers, and their wiring to real
// focus and key events, including the focus changes a message box causes.
#include "gui/shell/frmControl.h"
#include "gui/steps/FieldTools.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/frmDataSetting.h"
#include "support/FakePlatform.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

class NumericFieldsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void lostFocus_data();
    void lostFocus();
    void keyPressEnter_data();
    void keyPressEnter();
    void otherKeys_reachTheFieldUnfiltered();
    void gotFocus_selectsWholeText();
    void checkFieldRange_rejects_keepsTextReturnsFocusSelected();

    void tabOut_valid_reformatsAndMovesOn();
    void tabOut_loadedValue_isRewrittenInFieldFormat();
    void tabOut_invalidIntoInvalid_oneMessageFocusBack_data();
    void tabOut_invalidIntoInvalid_oneMessageFocusBack();
    void tabOut_afterRejection_checksAgain();
    void enter_invalid_messageFocusStays_noOk();
    void enter_valid_reformatsFocusStays();
    void leavingTheWindow_isNoLeave();
    void mouseClickOnOtherField_checksFirst();
    void mouseClickOnOk_afterRejection_isLost();
    void mouseClickOnOk_validValue_checksThenWrites();
    void cycleField_wiring();

private:
    frmDataSetting *openEditor();
    QLineEdit *editorField(const QString &name);
    void activate(QWidget *window);
    QStringList messageTexts() const;

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> w;
    QPointer<frmDataSetting> editor;
};

void NumericFieldsTest::init()
{
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake);
    w->cmdDataAppend_Click();
}

void NumericFieldsTest::cleanup()
{
    delete editor.data();
    w.reset();
    fake.reset();
}

frmDataSetting *NumericFieldsTest::openEditor()
{
    w->livData_DblClick();
    editor = w->dataSetting();
    return editor;
}

QLineEdit *NumericFieldsTest::editorField(const QString &name)
{
    if (!editor)
        openEditor();
    auto *field = editor->findChild<QLineEdit *>(name);
    if (!field)
        qFatal("no field %s", qPrintable(name));
    return field;
}

void NumericFieldsTest::activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

QStringList NumericFieldsTest::messageTexts() const
{
    QStringList out;
    for (const auto &m : fake->messages.shown)
        out << m.text;
    return out;
}

namespace {
// Runs a field's lost-focus or key handler by the field's name.
void runLostFocus(frmControl &w, frmDataSetting *e, const QString &name)
{
    if (name == "txtVoltage")
        e->txtVoltage_LostFocus();
    else if (name == "txtFrequency")
        e->txtFrequency_LostFocus();
    else if (name == "txtStartPhase")
        e->txtStartPhase_LostFocus();
    else if (name == "txtStopPhase")
        e->txtStopPhase_LostFocus();
    else if (name == "txtWorkTime")
        e->txtWorkTime_LostFocus();
    else
        w.txtCycleTime_LostFocus();
}
void runKeyPress(frmControl &w, frmDataSetting *e, const QString &name, int key)
{
    if (name == "txtVoltage")
        e->txtVoltage_KeyPress(key);
    else if (name == "txtFrequency")
        e->txtFrequency_KeyPress(key);
    else if (name == "txtStartPhase")
        e->txtStartPhase_KeyPress(key);
    else if (name == "txtStopPhase")
        e->txtStopPhase_KeyPress(key);
    else if (name == "txtWorkTime")
        e->txtWorkTime_KeyPress(key);
    else
        w.txtCycleTime_KeyPress(key);
}
} // namespace

void NumericFieldsTest::lostFocus_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");   // the field's text afterwards
    QTest::addColumn<QString>("message"); // empty: none
    const QString volt = " 0 to  310 only!", freq = " 40 to  500 only!", phase = " 0 to  360 only!",
                  dwell = " .01 to  65.53 only!", cycle = " 1 to  9999 only!";
    // Per field one value taken and one refused; the arithmetic itself is
    // covered without widgets.
    QTest::newRow("voltage empty") << "txtVoltage"
                                   << ""
                                   << "0.00"
                                   << "";
    QTest::newRow("voltage 310.004") << "txtVoltage"
                                     << "310.004"
                                     << "310.004" << volt;
    QTest::newRow("frequency empty") << "txtFrequency"
                                     << ""
                                     << "" << freq;
    QTest::newRow("frequency 50.5") << "txtFrequency"
                                    << "50.5"
                                    << "50.50"
                                    << "";
    QTest::newRow("start phase 0.5") << "txtStartPhase"
                                     << "0.5"
                                     << "0.50"
                                     << "";
    QTest::newRow("start phase 361") << "txtStartPhase"
                                     << "361"
                                     << "361" << phase;
    QTest::newRow("stop phase 1e2") << "txtStopPhase"
                                    << "1e2"
                                    << "100.00"
                                    << "";
    QTest::newRow("stop phase -1") << "txtStopPhase"
                                   << "-1"
                                   << "-1" << phase;
    QTest::newRow("dwell 65.53") << "txtWorkTime"
                                 << "65.53"
                                 << "65.53"
                                 << "";
    QTest::newRow("dwell 0.005") << "txtWorkTime"
                                 << "0.005"
                                 << "0.005" << dwell;
    QTest::newRow("cycle 12.6") << "txtCycleTime"
                                << "12.6"
                                << "13"
                                << "";
    QTest::newRow("cycle 1000") << "txtCycleTime"
                                << "1000"
                                << "1,000"
                                << "";
    QTest::newRow("cycle abc") << "txtCycleTime"
                               << "abc"
                               << "abc" << cycle;
}

void NumericFieldsTest::lostFocus()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    QLineEdit *edit = field == "txtCycleTime" ? w->ui().txtCycleTime : editorField(field);
    edit->setText(typed);
    runLostFocus(*w, editor, field);
    QCOMPARE(edit->text(), shown);
    if (message.isEmpty()) {
        QVERIFY(fake->messages.shown.isEmpty());
    } else {
        QCOMPARE(fake->messages.shown.size(), 1);
        const auto &m = fake->messages.shown.first();
        QCOMPARE(m.text, message);
        QCOMPARE(m.caption, QStringLiteral("Error!!"));
        QCOMPARE(m.icon, MessageBox::Icon::Exclamation);
        QCOMPARE(m.buttons, MessageBox::Buttons::Ok);
    }
}

void NumericFieldsTest::keyPressEnter_data()
{
    QTest::addColumn<QString>("field");
    for (const char *name :
         {"txtVoltage", "txtFrequency", "txtStartPhase", "txtStopPhase", "txtWorkTime", "txtCycleTime"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void NumericFieldsTest::keyPressEnter()
{
    // Enter runs the check; any other key does nothing to the field.
    QFETCH(QString, field);
    QLineEdit *edit = field == "txtCycleTime" ? w->ui().txtCycleTime : editorField(field);
    edit->setText(QStringLiteral("50"));
    runKeyPress(*w, editor, field, 'x');
    QCOMPARE(edit->text(), QStringLiteral("50"));
    runKeyPress(*w, editor, field, 13);
    QCOMPARE(edit->text(), field == "txtCycleTime" ? QStringLiteral("50") : QStringLiteral("50.00"));
    edit->setText(QStringLiteral("-5"));
    runKeyPress(*w, editor, field, 13);
    QCOMPARE(fake->messages.shown.size(), 1);
    QCOMPARE(edit->text(), QStringLiteral("-5"));
}

void NumericFieldsTest::otherKeys_reachTheFieldUnfiltered()
{
    QLineEdit *volt = editorField("txtVoltage");
    activate(editor);
    volt->setFocus();
    volt->clear();
    QTest::keyClicks(volt, QStringLiteral("12abc-,e"));
    QCOMPARE(volt->text(), QStringLiteral("12abc-,e"));
    QVERIFY(fake->messages.shown.isEmpty());
}

void NumericFieldsTest::gotFocus_selectsWholeText()
{
    QLineEdit *volt = editorField("txtVoltage");
    volt->setText(QStringLiteral("110.00"));
    volt->setCursorPosition(2);
    editor->txtVoltage_GotFocus();
    QCOMPARE(volt->selectionStart(), 0);
    QCOMPARE(volt->selectedText(), QStringLiteral("110.00"));
}

void NumericFieldsTest::checkFieldRange_rejects_keepsTextReturnsFocusSelected()
{
    QLineEdit *freq = editorField("txtFrequency");
    activate(editor);
    editor->txtWorkTime->setFocus();
    freq->setText(QStringLiteral("30"));
    ModTool::CheckFieldRange(freq, FieldRanges::Frequency, fake->messages);
    QCOMPARE(messageTexts(), QStringList{" 40 to  500 only!"});
    QCOMPARE(freq->text(), QStringLiteral("30"));
    QCOMPARE(QApplication::focusWidget(), freq);
    QCOMPARE(freq->selectedText(), QStringLiteral("30"));
}

void NumericFieldsTest::tabOut_valid_reformatsAndMovesOn()
{
    QLineEdit *volt = editorField("txtVoltage");
    activate(editor);
    volt->setFocus(Qt::TabFocusReason);
    volt->setText(QStringLiteral("220"));
    QTest::keyClick(volt, Qt::Key_Tab);
    QCOMPARE(volt->text(), QStringLiteral("220.00"));
    QCOMPARE(QApplication::focusWidget(), editor->txtFrequency);
    QCOMPARE(editor->txtFrequency->selectedText(), QStringLiteral("60.00"));
    QVERIFY(fake->messages.shown.isEmpty());
}

void NumericFieldsTest::tabOut_loadedValue_isRewrittenInFieldFormat()
{
    // A file may hold other forms; passing through the field rewrites them.
    w->ui().livData->steps().setSubItem(1, StepRecord::WorkTime, QStringLiteral("2"));
    QLineEdit *dwell = editorField("txtWorkTime");
    QCOMPARE(dwell->text(), QStringLiteral("2"));
    activate(editor);
    dwell->setFocus(Qt::TabFocusReason);
    QTest::keyClick(dwell, Qt::Key_Tab);
    QCOMPARE(dwell->text(), QStringLiteral("2.00"));
}

void NumericFieldsTest::tabOut_invalidIntoInvalid_oneMessageFocusBack_data()
{
    // How the message box takes the focus and gives it back: the window
    // comes back while the box is still up, or only after it has gone.
    QTest::addColumn<bool>("steal");
    QTest::addColumn<bool>("backInside");
    QTest::newRow("box takes no focus") << false << false;
    QTest::newRow("window back before the box returns") << true << true;
    QTest::newRow("window back after the box returns") << true << false;
}

void NumericFieldsTest::tabOut_invalidIntoInvalid_oneMessageFocusBack()
{
    QFETCH(bool, steal);
    QFETCH(bool, backInside);
    QLineEdit *volt = editorField("txtVoltage");
    QLineEdit *freq = editor->txtFrequency;
    freq->clear(); // the next field would give its own message if it were left
    activate(editor);
    volt->setFocus(Qt::TabFocusReason);
    volt->setText(QStringLiteral("999"));

    QWidget box; // stands in for the modal box's window
    box.resize(100, 50);
    if (steal) {
        fake->messages.onShow = [&](const FakeMessageBox::Shown &) {
            activate(&box);
            box.hide();
            if (backInside)
                activate(editor);
        };
    }
    QTest::keyClick(volt, Qt::Key_Tab);
    if (steal && !backInside)
        activate(editor);
    QApplication::processEvents();

    QCOMPARE(messageTexts(), QStringList{" 0 to  310 only!"});
    QCOMPARE(QApplication::focusWidget(), volt);
    QCOMPARE(volt->text(), QStringLiteral("999"));
    QCOMPARE(volt->selectedText(), QStringLiteral("999"));
    QCOMPARE(freq->text(), QString());
}

void NumericFieldsTest::tabOut_afterRejection_checksAgain()
{
    // The field the focus came back to counts as entered: its next leave
    // is checked again, once.
    QLineEdit *volt = editorField("txtVoltage");
    activate(editor);
    volt->setFocus(Qt::TabFocusReason);
    volt->setText(QStringLiteral("999"));
    QWidget box;
    fake->messages.onShow = [&](const FakeMessageBox::Shown &) {
        activate(&box);
        box.hide();
    };
    QTest::keyClick(volt, Qt::Key_Tab);
    activate(editor);
    QCOMPARE(QApplication::focusWidget(), volt);
    QTest::keyClick(volt, Qt::Key_Tab);
    activate(editor);
    QCOMPARE(fake->messages.shown.size(), 2);
    volt->setText(QStringLiteral("5"));
    QTest::keyClick(volt, Qt::Key_Tab);
    QCOMPARE(fake->messages.shown.size(), 2);
    QCOMPARE(volt->text(), QStringLiteral("5.00"));
    QCOMPARE(QApplication::focusWidget(), editor->txtFrequency);
}

void NumericFieldsTest::enter_invalid_messageFocusStays_noOk()
{
    QLineEdit *dwell = editorField("txtWorkTime");
    activate(editor);
    dwell->setFocus(Qt::TabFocusReason);
    dwell->setText(QStringLiteral("0.005"));
    QTest::keyClick(dwell, Qt::Key_Return);
    QCOMPARE(messageTexts(), QStringList{" .01 to  65.53 only!"});
    QCOMPARE(QApplication::focusWidget(), dwell);
    QCOMPARE(dwell->selectedText(), QStringLiteral("0.005"));
    QVERIFY(editor && editor->isVisible()); // Enter pressed no button
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::WorkTime), QStringLiteral("1.00"));
}

void NumericFieldsTest::enter_valid_reformatsFocusStays()
{
    QLineEdit *volt = editorField("txtVoltage");
    activate(editor);
    volt->setFocus(Qt::TabFocusReason);
    volt->setText(QStringLiteral("1e2"));
    QTest::keyClick(volt, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(volt->text(), QStringLiteral("100.00"));
    QCOMPARE(QApplication::focusWidget(), volt);
    QVERIFY(fake->messages.shown.isEmpty());
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::Voltage), QStringLiteral("110.00"));
}

void NumericFieldsTest::leavingTheWindow_isNoLeave()
{
    // Going to another window and back neither checks nor reselects.
    QLineEdit *freq = editorField("txtFrequency");
    activate(editor);
    freq->setFocus(Qt::TabFocusReason);
    freq->setText(QStringLiteral("1"));
    freq->setCursorPosition(1);
    activate(w.get());
    activate(editor);
    QVERIFY(fake->messages.shown.isEmpty());
    QCOMPARE(QApplication::focusWidget(), freq);
    QCOMPARE(freq->text(), QStringLiteral("1"));
    QVERIFY(!freq->hasSelectedText());
    // The field is still entered: leaving it now is checked.
    QTest::keyClick(freq, Qt::Key_Tab);
    QCOMPARE(messageTexts(), QStringList{" 40 to  500 only!"});
}

void NumericFieldsTest::mouseClickOnOtherField_checksFirst()
{
    QLineEdit *volt = editorField("txtVoltage");
    QLineEdit *phase = editor->txtStartPhase;
    phase->setText(QStringLiteral("999")); // would complain if it were ever left
    activate(editor);
    volt->setFocus(Qt::TabFocusReason);
    volt->setText(QStringLiteral("-3"));
    QTest::mouseClick(phase, Qt::LeftButton);
    QCOMPARE(messageTexts(), QStringList{" 0 to  310 only!"});
    QCOMPARE(QApplication::focusWidget(), volt);
    QCOMPARE(volt->selectedText(), QStringLiteral("-3"));
}

void NumericFieldsTest::mouseClickOnOk_afterRejection_isLost()
{
    // The press that took the focus away goes nowhere once the value was
    // rejected: no OK, and no button left pressed.
    QLineEdit *volt = editorField("txtVoltage");
    activate(editor);
    volt->setFocus(Qt::TabFocusReason);
    volt->setText(QStringLiteral("400"));
    QTest::mousePress(editor->cmdOK, Qt::LeftButton);
    QVERIFY(!editor->cmdOK->isDown());
    QTest::mouseRelease(editor->cmdOK, Qt::LeftButton);
    QCOMPARE(messageTexts(), QStringList{" 0 to  310 only!"});
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(QApplication::focusWidget(), volt);
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::Voltage), QStringLiteral("110.00"));
    // The next click on OK is a click again.
    volt->setText(QStringLiteral("200"));
    QTest::mouseClick(editor->cmdOK, Qt::LeftButton);
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::Voltage), QStringLiteral("200.00"));
}

void NumericFieldsTest::mouseClickOnOk_validValue_checksThenWrites()
{
    QLineEdit *volt = editorField("txtVoltage");
    activate(editor);
    volt->setFocus(Qt::TabFocusReason);
    volt->setText(QStringLiteral("12abc"));
    QTest::mouseClick(editor->cmdOK, Qt::LeftButton);
    QVERIFY(fake->messages.shown.isEmpty());
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::Voltage), QStringLiteral("12.00"));
    QVERIFY(editor.isNull() || editor->isHidden());
}

void NumericFieldsTest::cycleField_wiring()
{
    activate(w.get());
    w->ui().txtCycleTime->setEnabled(true);
    w->ui().txtCycleTime->setText(QStringLiteral("12.6"));
    w->ui().txtCycleTime->setFocus(Qt::TabFocusReason);
    QCOMPARE(w->ui().txtCycleTime->selectedText(), QStringLiteral("12.6"));
    QTest::keyClick(w->ui().txtCycleTime, Qt::Key_Tab);
    QCOMPARE(w->ui().txtCycleTime->text(), QStringLiteral("13"));

    w->ui().txtCycleTime->setFocus(Qt::TabFocusReason);
    w->ui().txtCycleTime->setText(QStringLiteral("1000"));
    QTest::keyClick(w->ui().txtCycleTime, Qt::Key_Return);
    QCOMPARE(w->ui().txtCycleTime->text(), QStringLiteral("1,000"));
    QCOMPARE(QApplication::focusWidget(), w->ui().txtCycleTime);

    w->ui().txtCycleTime->setText(QStringLiteral("0"));
    QTest::keyClick(w->ui().txtCycleTime, Qt::Key_Tab);
    QCOMPARE(messageTexts(), QStringList{" 1 to  9999 only!"});
    QCOMPARE(QApplication::focusWidget(), w->ui().txtCycleTime);
    QCOMPARE(w->ui().txtCycleTime->selectedText(), QStringLiteral("0"));
}

QTEST_MAIN(NumericFieldsTest)
#include "test_numeric_fields.moc"
