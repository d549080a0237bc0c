// The operator's keys and clicks on the lists, the options and the step
// editor: typed text picks nothing, a click on the selected option raises
// nothing, OK by any key checks the field that has the focus first.
#include "platform/QtMessageBox.h"
#include "shell/frmControl.h"
#include "steps/StepListView.h"
#include "steps/frmDataSetting.h"
#include "support/FakePlatform.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>

class OperatorInputTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup()
    {
        w.reset();
        fake.reset();
    }
    void typedListText_picksNothing_data();
    void typedListText_picksNothing();
    void baudKeys_moveOnFromTheShownEntry();
    void runModePicks_setTheCycleField();
    void optionClick_raisesOnlyWhenItSelects_data();
    void optionClick_raisesOnlyWhenItSelects();
    void columnHeaders();
    void editorOkByAccessKey_checksFocusedField_data();
    void editorOkByAccessKey_checksFocusedField();
    void editorEnterOnFocusedButton_data();
    void editorEnterOnFocusedButton();
    void editorTakesOnlyWhatAFileHolds_data();
    void editorTakesOnlyWhatAFileHolds();
    void messageBox_showsMarkupAsWritten();

private:
    frmDataSetting *openEditor();
    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> w;
};

namespace {
void activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void clickOption(QRadioButton *option)
{
    QStyleOptionButton look;
    look.initFrom(option);
    const QRect mark = option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &look, option);
    QTest::mouseClick(option, Qt::LeftButton, {}, mark.center());
}
} // namespace

void OperatorInputTest::init()
{
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake);
    activate(w.get());
}

frmDataSetting *OperatorInputTest::openEditor()
{
    w->cmdDataAppend->click();
    const QPoint row = w->livData->visualRect(w->livData->steps().index(0, 3)).center();
    QTest::mouseDClick(w->livData->viewport(), Qt::LeftButton, {}, row);
    activate(w->DataSetting);
    return w->DataSetting;
}

void OperatorInputTest::typedListText_picksNothing_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("finish"); // the key that ends the typing, or 0
    QTest::newRow("Sin") << "cboRunMode" << "Sin" << 0;
    QTest::newRow("c") << "cboRunMode" << "c" << 0;
    QTest::newRow("Cyc Enter") << "cboRunMode" << "Cyc" << int(Qt::Key_Return);
    QTest::newRow("single Enter") << "cboRunMode" << "single" << int(Qt::Key_Return);
    QTest::newRow("Cycle Tab") << "cboRunMode" << "Cycle" << int(Qt::Key_Tab);
    QTest::newRow("com 2 Enter") << "cboCommPort" << "com 2" << int(Qt::Key_Return);
    QTest::newRow("COM 2 Tab") << "cboCommPort" << "COM 2" << int(Qt::Key_Tab);
    QTest::newRow("4800 Enter") << "cboBaudRate" << "4800" << int(Qt::Key_Return);
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
    QVERIFY(fake->port.events.isEmpty());
    QVERIFY(!w->txtCycleTime->isEnabled());
    QCOMPARE(w->labPortSetting->text(), QStringLiteral("9600,8,N,1"));
}

void OperatorInputTest::baudKeys_moveOnFromTheShownEntry()
{
    QCOMPARE(w->cboBaudRate->currentIndex(), 3);
    QTest::keyClick(w->cboBaudRate, Qt::Key_Up);
    QCOMPARE(w->labPortSetting->text(), QStringLiteral("4800,8,N,1"));
    QCOMPARE(fake->port.Settings(), QStringLiteral("4800,n,8,1"));
}

void OperatorInputTest::runModePicks_setTheCycleField()
{
    w->txtCycleTime->setText(QStringLiteral("7"));
    auto pick = [this](Qt::Key key) {
        w->cboRunMode->setFocus();
        QTest::keyClick(w->cboRunMode, key);
    };
    for (int pass = 0; pass < 2; ++pass) {
        pick(pass == 0 ? Qt::Key_Down : Qt::Key_Up); // Continuous
        QCOMPARE(w->cboRunMode->currentText(), QStringLiteral("Continuous"));
        QVERIFY(!w->txtCycleTime->isEnabled());
        QCOMPARE(w->txtCycleTime->text(), QStringLiteral("7"));
        pick(Qt::Key_Down); // Cycle
        QVERIFY(w->txtCycleTime->isEnabled());
        QCOMPARE(QApplication::focusWidget(), w->txtCycleTime);
        QCOMPARE(w->txtCycleTime->selectedText(), QStringLiteral("7"));
    }
    pick(Qt::Key_Up);
    pick(Qt::Key_Up); // Single
    QVERIFY(!w->txtCycleTime->isEnabled());
    QCOMPARE(w->txtCycleTime->text(), QStringLiteral("7"));
    QVERIFY(fake->messages.shown.isEmpty());
}

void OperatorInputTest::optionClick_raisesOnlyWhenItSelects_data()
{
    QTest::addColumn<bool>("remoteFirst");
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("clicked"); // 0 Local, 1 Remote
    QTest::addColumn<bool>("accessKey");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("Local again") << false << false << 0 << false << QStringList();
    QTest::newRow("Remote") << false << false << 1 << false << QStringList{":SYST:REM "};
    QTest::newRow("Remote by its key") << false << false << 1 << true << QStringList{":SYST:REM "};
    QTest::newRow("Remote again by its key") << true << false << 1 << true << QStringList();
    QTest::newRow("Remote again in a run") << true << true << 1 << false << QStringList();
}

void OperatorInputTest::optionClick_raisesOnlyWhenItSelects()
{
    QFETCH(bool, remoteFirst);
    QFETCH(bool, running);
    QFETCH(int, clicked);
    QFETCH(bool, accessKey);
    QFETCH(QStringList, sent);
    if (remoteFirst)
        clickOption(w->optSystemMode_1);
    if (running) {
        w->cmdDataAppend->click();
        w->cmdRunStop->click();
    }
    fake->port.clearEvents();
    QRadioButton *option = clicked ? w->optSystemMode_1 : w->optSystemMode_0;
    if (accessKey)
        QTest::keyClick(w.get(), clicked ? Qt::Key_M : Qt::Key_L, Qt::AltModifier);
    else
        clickOption(option);
    QTRY_VERIFY(option->isChecked());
    QTest::qWait(150); // an access key clicks after its animation
    QCOMPARE(fake->port.commands(), sent);
    QCOMPARE(fake->timer.Enabled(), running);
}

void OperatorInputTest::columnHeaders()
{
    const QStringList expected = {"Step", "Output", "Range", "Voltage [ V ]", "Frequency [Hz]",
                                  "Start Phase [Deg]", "Stop Phase [Deg]", "Dwell Time [Sec]"};
    QStringList shown;
    for (int i = 0; i < w->livData->model()->columnCount(); ++i)
        shown << w->livData->model()->headerData(i, Qt::Horizontal).toString();
    QCOMPARE(shown, expected);
}

void OperatorInputTest::editorOkByAccessKey_checksFocusedField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("refused") << "9999" << "110.00";
    QTest::newRow("accepted") << "200" << "200.00";
}

void OperatorInputTest::editorOkByAccessKey_checksFocusedField()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QPointer<frmDataSetting> editor = openEditor();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), editor->txtVoltage);
    QTest::keyClicks(editor->txtVoltage, typed);
    QTest::keyClick(editor, Qt::Key_O, Qt::AltModifier);
    const bool refused = stored == QLatin1String("110.00");
    QTRY_VERIFY(refused ? !fake->messages.shown.isEmpty() : editor.isNull() || editor->isHidden());
    QCOMPARE(w->livData->item(1).subItem(StepRecord::Voltage), stored);
    if (refused) {
        QCOMPARE(fake->messages.shown.size(), 1);
        QCOMPARE(fake->messages.shown.first().text, QStringLiteral(" 0 to  310 only!"));
        QVERIFY(editor->isVisible());
        QCOMPARE(QApplication::focusWidget(), editor->txtVoltage);
    }
}

void OperatorInputTest::editorEnterOnFocusedButton_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancle") << false;
}

void OperatorInputTest::editorEnterOnFocusedButton()
{
    QFETCH(bool, ok);
    QPointer<frmDataSetting> editor = openEditor();
    editor->cboRange->setEditText(QStringLiteral("Low"));
    QPushButton *button = ok ? editor->cmdOK : editor->cmdCancle;
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button, Qt::Key_Return);
    QVERIFY(editor.isNull() || editor->isHidden());
    QCOMPARE(w->livData->item(1).subItem(StepRecord::Range), QLatin1String(ok ? "Low" : "Auto"));
}

void OperatorInputTest::editorTakesOnlyWhatAFileHolds_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("held");
    QTest::newRow("beyond Latin-1 typed") << "cboRange" << QString::fromUtf8("Lo\u03a9w") << "" << "Low";
    QTest::newRow("Latin-1 typed") << "cboOutput" << QString::fromUtf8("\u00e9t\u00e9") << "" << QString::fromUtf8("\u00e9t\u00e9");
    QTest::newRow("tab pasted") << "txtVoltage" << "1" << "2\t3" << "1";
    QTest::newRow("plain pasted") << "txtWorkTime" << "1" << ".5" << "1.5";
}

void OperatorInputTest::editorTakesOnlyWhatAFileHolds()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, held);
    frmDataSetting *editor = openEditor();
    auto *target = editor->findChild<QWidget *>(field);
    auto *edit = qobject_cast<QLineEdit *>(target);
    if (!edit)
        edit = qobject_cast<QComboBox *>(target)->lineEdit();
    target->setFocus();
    edit->clear();
    for (const QChar c : typed) // keyClicks() takes ASCII only
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(edit->text(), held);
}

void OperatorInputTest::messageBox_showsMarkupAsWritten()
{
    const QString text = QStringLiteral("Can't open file: /tmp/<b>x</b>.log");
    const auto box = QtMessageBox::build(text, MessageBox::Buttons::Ok, MessageBox::Icon::None,
                                         QStringLiteral("Nesk DEMO"), MessageBox::Answer::Ok);
    const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    QVERIFY(label);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->text(), text);
}

QTEST_MAIN(OperatorInputTest)
#include "test_operator_input.moc"
