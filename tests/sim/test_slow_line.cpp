// The program on a line as slow as a real one: the far end of the
// pseudo-terminal reads 960 bytes a second (9600 baud). Ending a run by
// STOP, by closing the window or by a signal puts the off commands on the
// line next, whatever the run had queued; on a stalled line they arrive
// whole once the far end reads again.
#include "platform/PortNames.h"
#include "platform/QtPlatform.h"
#include "shell/Application.h"
#include "shell/frmControl.h"
#include "sim/LineRateReader.h"
#include "sim/SourceModel.h"
#include "steps/StepListView.h"
#include "support/FakePlatform.h"
#include "support/PtyPair.h"

#include <QApplication>
#include <QComboBox>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
constexpr double LineRate = 960.0; // bytes a second at 9600 baud, 8N1

// Four steps of 10 ms, each far shorter than its commands on the line.
std::vector<StepRecord> shortSteps()
{
    std::vector<StepRecord> rows;
    for (int i = 1; i <= 4; ++i) {
        StepRecord r;
        r.checked = true;
        r.label = StepDefaults::label(i);
        r.values = StepDefaults::values();
        r.subItem(StepRecord::Voltage) = QStringLiteral("%1.00").arg(100 + 10 * i);
        r.subItem(StepRecord::StartPhase) = QStringLiteral("%1.00").arg(10 * i);
        r.subItem(StepRecord::WorkTime) = QStringLiteral("0.01");
        rows.push_back(r);
    }
    return rows;
}

void startContinuousRun(frmControl &w)
{
    w.optSystemMode_1->click();
    w.livData->replaceAll(shortSteps());
    w.cboRunMode->setCurrentText(QStringLiteral("Continuous"));
    w.cmdRunStop_Click();
}

// The child: the real program on the given pty, running the steps above.
int runChild(int argc, char **argv)
{
    setSerialDeviceOverride(1, QString::fromLocal8Bit(argv[2]));
    setSerialDeviceOverride(2, QStringLiteral("/nonexistent/quorra-port"));
    QApplication app(argc, argv);
    QtPlatform platform;
    QTimer::singleShot(0, &app, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<frmControl *>(w)) {
                startContinuousRun(*window);
                std::fprintf(stdout, "ready\n");
                std::fflush(stdout);
            }
    });
    return runProgram(app, platform.bundle());
}

// What the far end received, each byte with its arrival.
struct Received
{
    QByteArray bytes;
    QList<double> ms;

    void add(LineRateReader &reader)
    {
        const LineRateReader::Arrived a = reader.take();
        bytes += a.bytes;
        ms += a.ms;
    }
    QByteArray since(double t) const
    {
        qsizetype i = 0;
        while (i < ms.size() && ms[i] < t)
            ++i;
        return bytes.mid(i);
    }
    double arrivalOf(const QByteArray &tail) const
    {
        return bytes.endsWith(tail) ? ms.last() : -1.0;
    }
};

// Fills the pseudo-terminal behind a far end that does not read, as a
// stalled line leaves it: writes of the program's side then back up.
void fillCable(int nearFd)
{
#ifdef Q_OS_UNIX
    const int flags = ::fcntl(nearFd, F_GETFL);
    ::fcntl(nearFd, F_SETFL, flags | O_NONBLOCK);
    const QByteArray line(":SOUR:VOLT 1.00\r");
    while (::write(nearFd, line.constData(), size_t(line.size())) > 0) {
    }
    ::fcntl(nearFd, F_SETFL, flags);
#else
    Q_UNUSED(nearFd);
#endif
}

// Before the off commands come at most the end of the command on the wire
// when the queue went, the few bytes the far end had taken in meanwhile,
// and a lone CR: no whole step.
const QRegularExpression OffNext(QStringLiteral("^[^\\r]*\\r?[^\\r]*\\r?:SOUR:TURN OFF\\r:OUTP OFF\\r"));
} // namespace

class SlowLineTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void stopAfterALongRun_offCommandsComeNext();
    void closeAndSignal_threeCommandsArriveWhole_data();
    void closeAndSignal_threeCommandsArriveWhole();

private:
    void collectFor(int ms);
    PtyPair m_pty;
    std::unique_ptr<LineRateReader> m_reader;
    Received m_received;
};

void SlowLineTest::init()
{
#ifndef Q_OS_UNIX
    QSKIP("pseudo-terminals are POSIX only");
#endif
    QVERIFY(m_pty.open());
    setSerialDeviceOverride(1, m_pty.deviceName());
    setSerialDeviceOverride(2, QStringLiteral("/nonexistent/quorra-port"));
    m_reader = std::make_unique<LineRateReader>(m_pty.farEnd(), LineRate);
    m_received = {};
}

void SlowLineTest::cleanup()
{
    m_reader.reset();
    clearSerialDeviceOverrides();
    m_pty.close();
}

void SlowLineTest::collectFor(int ms)
{
    QDeadlineTimer until(ms);
    while (!until.hasExpired()) {
        QTest::qWait(5);
        m_received.add(*m_reader);
    }
}

void SlowLineTest::stopAfterALongRun_offCommandsComeNext()
{
    FakePlatform fake;
    QtSerialPort port;
    QtTimer timer;
    Platform platform = fake.bundle();
    platform.port = &port;
    platform.timer = &timer;
    frmControl w(platform);
    w.Form_Load();
    startContinuousRun(w);
    // Without a pace, two seconds of these steps would queue 8 s of commands.
    collectFor(2000);
    const double stopMs = LineRateReader::clockMs();
    w.cmdRunStop_Click();
    QTRY_VERIFY_WITH_TIMEOUT((m_received.add(*m_reader), m_received.bytes.endsWith(":OUTP OFF\r")), 3000);
    collectFor(100);

    const QByteArray after = m_received.since(stopMs);
    QVERIFY2(OffNext.match(QString::fromLatin1(after)).hasMatch(), after.constData());
    QVERIFY(after.endsWith(":SOUR:TURN OFF\r:OUTP OFF\r"));
    // Loosely (the figure is the benchmark's): well within a second.
    QVERIFY(m_received.arrivalOf(":OUTP OFF\r") - stopMs < 1000.0);

    // The instrument discards at most the fragment and ends switched off.
    SourceModel source;
    source.receive(m_received.bytes, 0.0, LineSettings{});
    source.advanceToEnd();
    QVERIFY(source.errorCount() <= 1);
    QVERIFY(!source.state().relay);
    QVERIFY(!source.state().output);
    // The line held the steps, and the rows say so.
    QVERIFY(w.Pace.stretchedCount > 0);
    QVERIFY(w.livData->steps().note(1).startsWith(QStringLiteral("Held ")));
    QVERIFY(fake.messages.shown.isEmpty());
}

void SlowLineTest::closeAndSignal_threeCommandsArriveWhole_data()
{
    QTest::addColumn<bool>("bySignal");
    QTest::addColumn<bool>("stalled");
    QTest::newRow("Exit, slow line") << false << false;
    QTest::newRow("Exit, stalled line") << false << true;
    QTest::newRow("SIGTERM, slow line") << true << false;
    QTest::newRow("SIGTERM, stalled line") << true << true;
}

void SlowLineTest::closeAndSignal_threeCommandsArriveWhole()
{
#ifdef Q_OS_UNIX
    QFETCH(bool, bySignal);
    QFETCH(bool, stalled);
    const QByteArray closing(":SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r");
    if (stalled) {
        m_reader->setRate(0);
        QTest::qWait(10); // the reader's last look at the line is over
        fillCable(m_pty.nearEnd());
    }

    FakePlatform fake;
    QtSerialPort port;
    QtTimer timer;
    Platform platform = fake.bundle();
    platform.port = &port;
    platform.timer = &timer;
    std::unique_ptr<frmControl> w;
    QProcess child;
    if (bySignal) {
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), m_pty.deviceName()});
        QVERIFY(child.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT((child.waitForReadyRead(10), child.canReadLine()), 20000);
        QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
    } else {
        w = std::make_unique<frmControl>(platform);
        w->Form_Load();
        w->show();
        startContinuousRun(*w);
    }
    collectFor(1000);

    const double closeMs = LineRateReader::clockMs();
    if (bySignal) {
        ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitCode(), 128 + SIGTERM);
    } else {
        QVERIFY(w->close());
        QVERIFY(!port.PortOpen());
    }
    if (stalled) {
        collectFor(200);
        QVERIFY(m_received.bytes.isEmpty());
        m_reader->setRate(100 * LineRate); // reads again, and catches up fast
    }
    QTRY_VERIFY_WITH_TIMEOUT((m_received.add(*m_reader), m_received.bytes.endsWith(closing)), 10000);
    collectFor(100);
    QVERIFY(m_received.bytes.endsWith(closing));

    if (!stalled) {
        const QByteArray after = m_received.since(closeMs);
        QVERIFY2(OffNext.match(QString::fromLatin1(after)).hasMatch(), after.constData());
    }
    SourceModel source;
    source.receive(m_received.bytes, 0.0, LineSettings{});
    source.advanceToEnd();
    QVERIFY(source.errorCount() <= 1);
    QVERIFY(!source.state().relay);
    QVERIFY(!source.state().remote);
#endif
}

int main(int argc, char **argv)
{
    if (argc > 2 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv);
    QApplication app(argc, argv);
    SlowLineTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_slow_line.moc"
