// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The operator's keys and clicks: typed list text picks nothing, a click on
// the selected option raises nothing, OK by any key checks the focused field.
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/frmDataSetting.h"
#include "gui/widgets/QtMessageBox.h"
#include "support/FakePlatform.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class OperatorInputTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> w;
    frmDataSetting *openEditor();
private slots:
    void init();
    void cleanup()
    {
        delete w->dataSetting().data(); // a window of its own
        w.reset();
    }
    void typedListText_picksNothing_data();
    void typedListText_picksNothing();
    void startup_arrowKeysMoveOnFromShownBaud_headers();
    void runModePicks_setTheCycleField();
    void optionClick_raisesOnlyWhenItSelects_data();
    void optionClick_raisesOnlyWhenItSelects();
    void runKeys_stopAtFirstPress_data();
    void runKeys_stopAtFirstPress();
    void editorOk_byKeys_data();
    void editorOk_byKeys();
    void editorTakesOnlyWhatAFileHolds();
    void messageBox_showsMarkupAsWritten();
};

static void activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void OperatorInputTest::init()
{
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake);
    activate(w.get());
}

frmDataSetting *OperatorInputTest::openEditor()
{
    w->ui().cmdDataAppend->click();
    const QPoint row = w->ui().livData->visualRect(w->ui().livData->steps().index(0, 3)).center();
    QTest::mouseDClick(w->ui().livData->viewport(), Qt::LeftButton, {}, row);
    activate(w->dataSetting());
    return w->dataSetting();
}

void OperatorInputTest::typedListText_picksNothing_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("finish"); // the key that ends the typing, or 0
    QTest::newRow("Sin") << "cboRunMode"
                         << "Sin" << 0;
    QTest::newRow("Cyc Enter") << "cboRunMode"
                               << "Cyc" << int(Qt::Key_Return);
    QTest::newRow("single Enter") << "cboRunMode"
                                  << "single" << int(Qt::Key_Return);
    QTest::newRow("Cycle Tab") << "cboRunMode"
                               << "Cycle" << int(Qt::Key_Tab);
    QTest::newRow("com 2 Enter") << "cboCommPort"
                                 << "com 2" << int(Qt::Key_Return);
    QTest::newRow("COM 2 Tab") << "cboCommPort"
                               << "COM 2" << int(Qt::Key_Tab);
    QTest::newRow("4800 Enter") << "cboBaudRate"
                                << "4800" << int(Qt::Key_Return);
}

void OperatorInputTest::typedListText_picksNothing()
{
    QFETCH(QString, list);
    QFETCH(QString, typed);
    QFETCH(int, finish);
    auto *box = w->findChild<QComboBox *>(list);
    box->setFocus();
    box->lineEdit()->clear();
    QTest::keyClicks(box, typed);
    if (finish)
        QTest::keyClick(box, Qt::Key(finish));
    QCOMPARE(box->currentText(), typed);
    QVERIFY(fake->port.events.isEmpty() && !w->ui().txtCycleTime->isEnabled());
}

void OperatorInputTest::startup_arrowKeysMoveOnFromShownBaud_headers()
{
    QTest::keyClick(w->ui().cboBaudRate, Qt::Key_Up);
    settle(*w);
    QCOMPARE(fake->port.Settings(), QStringLiteral("4800,n,8,1"));
    QStringList headers;
    for (int i = 0; i < w->ui().livData->model()->columnCount(); ++i)
        headers << w->ui().livData->model()->headerData(i, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"Step", "Output", "Range", "Voltage [ V ]", "Frequency [Hz]",
                                   "Start Phase [Deg]", "Stop Phase [Deg]", "Dwell Time [Sec]"}));
}

void OperatorInputTest::runModePicks_setTheCycleField()
{
    w->ui().txtCycleTime->setText(QStringLiteral("7"));
    // Single, Continuous, Cycle, Continuous, Cycle, Continuous, Single.
    const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up};
    for (const Qt::Key key : keys) {
        w->ui().cboRunMode->setFocus();
        QTest::keyClick(w->ui().cboRunMode, key);
        const bool cycle = w->ui().cboRunMode->currentText() == QLatin1String("Cycle");
        QCOMPARE(w->ui().txtCycleTime->isEnabled(), cycle);
        QCOMPARE(w->ui().txtCycleTime->text(), QStringLiteral("7"));
        if (cycle)
            QCOMPARE(w->ui().txtCycleTime->selectedText(), QStringLiteral("7")); // and so has the focus
    }
    QCOMPARE(w->ui().cboRunMode->currentText(), QStringLiteral("Single"));
}

void OperatorInputTest::optionClick_raisesOnlyWhenItSelects_data()
{
    QTest::addColumn<bool>("remoteFirst");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("click"); // the option's access key, or "" for Space on Remote
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("Local again") << false << false << "L" << QStringList();
    QTest::newRow("Remote by Space") << false << false << "" << QStringList{":SYST:REM "};
    QTest::newRow("Remote by its key") << false << false << "M" << QStringList{":SYST:REM "};
    QTest::newRow("Remote again by its key") << true << false << "M" << QStringList();
    QTest::newRow("Remote again in a run") << true << true << "" << QStringList();
}

void OperatorInputTest::optionClick_raisesOnlyWhenItSelects()
{
    QFETCH(bool, remoteFirst);
    QFETCH(bool, running);
    QFETCH(QString, click);
    QFETCH(QStringList, sent);
    QRadioButton *remote = w->ui().optSystemMode_1;
    if (remoteFirst) {
        QTest::keyClick(remote, Qt::Key_Space);
        settle(*w);
    }
    if (running) {
        w->ui().cmdDataAppend->click();
        w->ui().cmdRunStop->click();
        settle(*w);
    }
    fake->port.clearEvents();
    if (click.isEmpty())
        QTest::keyClick(remote, Qt::Key_Space);
    else
        QTest::keyClick(w.get(), click.at(0).toLatin1(), Qt::AltModifier);
    QTest::qWait(150); // an access key clicks once its button has shown the press
    QVERIFY((click == "L" ? w->ui().optSystemMode_0 : remote)->isChecked());
    QCOMPARE(fake->port.commands(), sent);
    QCOMPARE(fake->timer.Enabled(), running);
}

void OperatorInputTest::runKeys_stopAtFirstPress_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("sent"); // by the one press
    const QStringList stop{":SOUR:TURN OFF", ":OUTP OFF"};
    const int alt = int(Qt::AltModifier);
    // "&STOP" and "Re&set" share S: in a run the key is STOP's.
    QTest::newRow("Alt+S in a run") << true << int(Qt::Key_S) << alt << stop;
    QTest::newRow("Escape in a run") << true << int(Qt::Key_Escape) << 0 << stop;
    QTest::newRow("Alt+S idle") << false << int(Qt::Key_S) << alt << QStringList{"*RST"};
    QTest::newRow("Escape idle") << false << int(Qt::Key_Escape) << 0 << QStringList();
}

void OperatorInputTest::runKeys_stopAtFirstPress()
{
    QFETCH(bool, running);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, sent);
    QTest::keyClick(w->ui().optSystemMode_1, Qt::Key_Space); // Remote
    settle(*w);
    w->ui().cmdDataAppend->click();
    if (running) {
        w->ui().cmdRunStop->click();
        settle(*w);
    }
    fake->port.clearEvents();
    QTest::keyClick(w.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTest::qWait(150); // an access key clicks once its button has shown the press
    QCOMPARE(fake->port.commands(), sent);
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
    QCOMPARE(w->ui().cmdReset->text(), QStringLiteral("Re&set"));

    // Once the run has ended, Alt+S is Reset's again.
    fake->port.clearEvents();
    QTest::keyClick(w.get(), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(150);
    QCOMPARE(fake->port.commands(), QStringList{"*RST"});
}

void OperatorInputTest::editorOk_byKeys_data()
{
    QTest::addColumn<QString>("typed"); // into the voltage field
    QTest::addColumn<QString>("press"); // Alt+O, or Enter on the focused OK or Cancle
    QTest::addColumn<QString>("stored");
    QTest::newRow("Alt+O refused") << "9999"
                                   << "Alt+O"
                                   << "110.00";
    QTest::newRow("Alt+O accepted") << "200"
                                    << "Alt+O"
                                    << "200.00";
    QTest::newRow("Enter on OK") << "200"
                                 << "cmdOK"
                                 << "200.00";
    QTest::newRow("Enter on Cancle") << "200"
                                     << "cmdCancle"
                                     << "110.00";
}

void OperatorInputTest::editorOk_byKeys()
{
    QFETCH(QString, typed);
    QFETCH(QString, press);
    QFETCH(QString, stored);
    QPointer<frmDataSetting> editor = openEditor();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(editor->txtVoltage, typed);
    if (press == "Alt+O") {
        QTest::keyClick(editor, Qt::Key_O, Qt::AltModifier);
        QTest::qWait(150);
    } else {
        QTest::keyClick(editor->txtVoltage, Qt::Key_Tab);
        auto *button = editor->findChild<QPushButton *>(press);
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Return);
    }
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::Voltage), stored);
    const bool refused = typed == "9999"; // message, focus back, editor open
    QCOMPARE(fake->messages.shown.size(), refused ? 1 : 0);
    QCOMPARE(editor && QApplication::focusWidget() == editor->txtVoltage, refused);
}

void OperatorInputTest::editorTakesOnlyWhatAFileHolds()
{
    frmDataSetting *editor = openEditor();
    QLineEdit *range = editor->cboRange->lineEdit();
    range->clear();
    for (const QChar c : QString::fromUtf8("L\u00f6\u03a9w")) // keyClicks() takes ASCII only
        QTest::sendKeyEvent(QTest::Click, range, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(range->text(), QString::fromUtf8("L\u00f6w"));
    editor->txtVoltage->setFocus();
    QGuiApplication::clipboard()->setText(QStringLiteral("2\t3"));
    QTest::keyClick(editor->txtVoltage, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(editor->txtVoltage->text(), QStringLiteral("110.00"));
}

void OperatorInputTest::messageBox_showsMarkupAsWritten()
{
    const QString text = QStringLiteral("Can't open file: /tmp/<b>x</b>.log");
    const auto box = QtMessageBox::build(text, MessageBox::Buttons::Ok, MessageBox::Icon::None,
                                         QStringLiteral("Nesk DEMO"), MessageBox::Answer::Ok);
    const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->text(), text);
}

QTEST_MAIN(OperatorInputTest)
#include "test_operator_input.moc"
