// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Closing the main window: the save question, and handing a remote
// instrument back to local operation.
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QFileInfo>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Kind = FakeSerialPort::Kind;
using Answer = MessageBox::Answer;

namespace {
const QString Question = QStringLiteral("The file have been modefied,\rdo you want to save it?");
const QStringList ShutdownCommands = {QStringLiteral(":SOUR:TURN OFF\r"), QStringLiteral(":OUTP OFF\r"),
                                      QStringLiteral(":SYST:LOC \r")};
} // namespace

class ShutdownTest : public QObject
{
    Q_OBJECT
private slots:
    void unmodified_data();
    void unmodified();
    void modified_data();
    void modified();
    void questionText();
    void cancelledClose_canBeRepeated();
    void remote_portWillNotOpen_closesWithoutSending();
    void remote_failingWrites_allTriedThenPortClosed();
    void remote_farEndTakesNothing_saysTheOutputMayBeOn();
    void noPortAtStartUp_closesSilently();
    void exit_closesTheWindow();
    void otherWindowKeepsTheProgramRunning();
};

void ShutdownTest::unmodified_data()
{
    QTest::addColumn<bool>("remote");
    QTest::newRow("local") << false;
    QTest::newRow("remote") << true;
}

void ShutdownTest::unmodified()
{
    QFETCH(bool, remote);
    FakePlatform fake;
    auto w = startedWindow(fake, remote);
    if (remote)
        fake.timer.setEnabled(true); // as during a run

    QVERIFY(closeAndSettle(*w));

    QVERIFY(fake.messages.shown.isEmpty());
    if (!remote) {
        QVERIFY(fake.port.events.isEmpty());
        return;
    }
    QCOMPARE(fake.port.writes(), ShutdownCommands);
    QCOMPARE(fake.port.events.constLast().kind, Kind::Close);
    QVERIFY(!fake.port.PortOpen());
    QVERIFY(!fake.timer.Enabled());
}

void ShutdownTest::modified_data()
{
    QTest::addColumn<bool>("remote");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("saveDialog"); // file, cancel, fail (after Yes)
    QTest::addColumn<bool>("closes");

    for (bool remote : {false, true}) {
        const QByteArray mode = remote ? "remote" : "local";
        QTest::newRow(mode + ", Cancel") << remote << Answer::Cancel << QString() << false;
        QTest::newRow(mode + ", No") << remote << Answer::No << QString() << true;
        QTest::newRow(mode + ", Yes, saved") << remote << Answer::Yes << QStringLiteral("file") << true;
        QTest::newRow(mode + ", Yes, save dialog cancelled")
            << remote << Answer::Yes << QStringLiteral("cancel") << false;
        QTest::newRow(mode + ", Yes, save failed") << remote << Answer::Yes << QStringLiteral("fail") << false;
    }
}

void ShutdownTest::modified()
{
    QFETCH(bool, remote);
    QFETCH(Answer, answer);
    QFETCH(QString, saveDialog);
    QFETCH(bool, closes);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("program.log"));
    FakePlatform fake;
    auto w = startedWindow(fake, remote);
    w->cmdDataAppend_Click();
    fake.timer.setEnabled(true);
    const bool portWasOpen = fake.port.PortOpen();
    fake.timer.history.clear();

    fake.messages.answers = {answer};
    if (saveDialog == QLatin1String("file"))
        fake.files.answers.push_back(path);
    else if (saveDialog == QLatin1String("fail"))
        fake.files.answers.push_back(dir.filePath(QStringLiteral("no/such/folder.log")));
    // The commands go out only after the question has been answered.
    int writesBeforeQuestion = -1;
    fake.messages.onShow = [&](const FakeMessageBox::Shown &) {
        if (writesBeforeQuestion < 0)
            writesBeforeQuestion = fake.port.writes().size();
    };

    QCOMPARE(closeAndSettle(*w), closes);

    QCOMPARE(fake.messages.shown.first().text, Question);
    QCOMPARE(writesBeforeQuestion, 0);
    QCOMPARE(fake.files.calls.size(), answer == Answer::Yes ? 1 : 0);
    QCOMPARE(QFileInfo::exists(path), saveDialog == QLatin1String("file"));
    if (!closes) {
        // Nothing sent, timer and port as they were, the program kept.
        QVERIFY(fake.port.events.isEmpty());
        QVERIFY(fake.timer.history.isEmpty());
        QCOMPARE(fake.port.PortOpen(), portWasOpen);
        QVERIFY(w->document().modified());
        QCOMPARE(w->ui().livData->count(), 1);
        return;
    }
    QVERIFY(!w->document().modified() || answer == Answer::No);
    if (remote) {
        QCOMPARE(fake.port.writes(), ShutdownCommands);
        QVERIFY(!fake.port.PortOpen());
        QVERIFY(!fake.timer.Enabled());
    } else {
        QVERIFY(fake.port.events.isEmpty());
    }
}

void ShutdownTest::questionText()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->document().setModified(true);
    fake.messages.answers = {Answer::No};
    QVERIFY(closeAndSettle(*w));
    QCOMPARE(fake.messages.shown.size(), 1);
    const auto &q = fake.messages.shown.first();
    QCOMPARE(q.text, Question);
    QCOMPARE(q.buttons, MessageBox::Buttons::YesNoCancel);
    QCOMPARE(q.icon, MessageBox::Icon::None);
    QCOMPARE(q.caption, QStringLiteral("Tarvel Quorra-7"));
    QCOMPARE(q.defaultButton, Answer::Yes);
}

void ShutdownTest::cancelledClose_canBeRepeated()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->show();
    w->document().setModified(true);
    fake.messages.answers = {Answer::Cancel, Answer::Cancel, Answer::No};
    w->mnuExit_Click();
    settle(*w);
    QVERIFY(w->isVisible());
    w->mnuExit_Click();
    settle(*w);
    QVERIFY(w->isVisible());
    QVERIFY(fake.port.events.isEmpty());
    w->mnuExit_Click();
    settle(*w);
    QVERIFY(!w->isVisible());
    QCOMPARE(fake.messages.shown.size(), 3);
    QCOMPARE(fake.port.writes(), ShutdownCommands);
}

void ShutdownTest::remote_portWillNotOpen_closesWithoutSending()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    fake.port.setPortOpen(false); // the link went away meanwhile
    fake.port.openablePorts = {};
    fake.port.clearEvents();

    QVERIFY(closeAndSettle(*w));

    // The port, then what that means for the output.
    QCOMPARE(fake.messages.shown.size(), 2);
    const auto &m = fake.messages.shown.first();
    QCOMPARE(m.text, QStringLiteral("COM 1 : not available. Change the CommPort property to another port."));
    QCOMPARE(m.caption, QStringLiteral("Nesk DEMO"));
    QCOMPARE(m.buttons, MessageBox::Buttons::Ok);
    QCOMPARE(fake.messages.shown[1].text,
             QStringLiteral("The off commands could not be delivered to COM 1: the output may still be on"));
    QCOMPARE(fake.port.count(Kind::Write) + fake.port.count(Kind::WriteFailed), 0);
    QVERIFY(!fake.timer.Enabled());
}

void ShutdownTest::remote_failingWrites_allTriedThenPortClosed()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    fake.port.failWrites = true;
    QVERIFY(closeAndSettle(*w));
    QStringList tried;
    for (const auto &e : fake.port.events)
        if (e.kind == Kind::WriteFailed)
            tried << e.text;
    QCOMPARE(tried, ShutdownCommands);
    QCOMPARE(fake.port.events.constLast().kind, Kind::Close);
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown[0].text,
             QStringLiteral("The off commands could not be delivered to COM 1: the output may still be on"));
    QCOMPARE(fake.messages.shown[0].caption, QStringLiteral("Nesk DEMO"));
}

void ShutdownTest::remote_farEndTakesNothing_saysTheOutputMayBeOn()
{
    // Written, but the port's close saw none of it leave: said once, as the
    // window goes. A port that delivers says nothing (the cases above).
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    fake.port.delivers = false;
    QVERIFY(closeAndSettle(*w));
    QCOMPARE(fake.port.writes(), ShutdownCommands);
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown[0].text,
             QStringLiteral("The off commands could not be delivered to COM 1: the output may still be on"));
    QCOMPARE(fake.messages.shown[0].icon, MessageBox::Icon::Exclamation);
}

void ShutdownTest::noPortAtStartUp_closesSilently()
{
    FakePlatform fake;
    fake.port.openablePorts = {};
    frmControl w(fake.bundle());
    w.Form_Load();
    settle(w);
    QCOMPARE(fake.messages.shown.size(), 1); // start-up's own message only
    QVERIFY(w.noPortAvailable());

    // Even a modified program under remote operation closes without a word.
    w.document().setModified(true);
    w.ui().optSystemMode_1->setChecked(true);
    fake.port.clearEvents();
    QVERIFY(!w.Form_Unload());
    QCOMPARE(fake.messages.shown.size(), 1);
    QVERIFY(fake.port.events.isEmpty());
    QVERIFY(fake.files.calls.isEmpty());
}

void ShutdownTest::exit_closesTheWindow()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->ui().mnuExit->trigger();
    QTRY_VERIFY(!w->isVisible());
    QVERIFY(fake.messages.shown.isEmpty());
}

void ShutdownTest::otherWindowKeepsTheProgramRunning()
{
    // Exit with an owner-less window open (the about box, the step editor):
    // the main window goes, the program runs on until that window closes.
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->show();
    QWidget other;
    other.setWindowTitle(QStringLiteral("about"));
    other.show();

    bool ranOnAfterExit = false;
    QTimer::singleShot(0, w.get(), [&] { w->mnuExit_Click(); });
    QTimer::singleShot(100, &other, [&] {
        ranOnAfterExit = !w->isVisible() && other.isVisible();
        other.close();
    });
    QTimer failSafe;
    failSafe.setSingleShot(true);
    connect(&failSafe, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    failSafe.start(5000);

    const bool quitOnLast = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(true);
    const int result = QApplication::exec();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLast);

    QVERIFY(ranOnAfterExit);
    QCOMPARE(result, 0); // ended by the last window closing, not by the fail-safe
    QCOMPARE(fake.port.writes(), ShutdownCommands);
}

QTEST_MAIN(ShutdownTest)
#include "test_shutdown.moc"
