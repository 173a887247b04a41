#include "MessageCapture.h"
#include "QuorvexTest.h"
#include "comms/SequenceWorker.h"
#include "comms/SerialComms.h"

#include <QPointer>
#include <QTimer>

// A protocol whose completions the test emits itself.
class FakeComms : public SerialComms
{
    Q_OBJECT

public:
    FakeComms()
        : SerialComms(QString())
    { }
    void readData() override { }
    void command() { ++commands; }
    void fail(const QString &text) { emit error(text); }

    int commands = 0;

Q_SIGNALS:
    void stepDone();
    void stop();
};

// Two steps in a row, each moving on at stepDone().
class TwoStepWorker : public SequenceWorker
{
    Q_OBJECT

public:
    explicit TwoStepWorker(FakeComms *comms)
        : SequenceWorker(comms, nullptr)
    {
        QState *first = addStep([comms] { comms->command(); });
        QState *second = addStep([comms] { comms->command(); });
        first->addTransition(comms, &FakeComms::stepDone, second);
        second->addTransition(comms, &FakeComms::stepDone, m_finalState);
        start(first);
    }
};

// The scan loop's shape: the main state re-enters itself at every stepDone() until stop().
class LoopWorker : public SequenceWorker
{
    Q_OBJECT

public:
    explicit LoopWorker(FakeComms *comms)
        : SequenceWorker(comms, nullptr)
    {
        connect(m_mainState, &QState::entered, comms, &FakeComms::command);
        m_mainState->addTransition(comms, &FakeComms::stepDone, m_mainState);
        m_mainState->addTransition(comms, &FakeComms::stop, m_finalState);
        start();
    }
};

using Event = QPair<int, QString>; // ms after the start, "step", "stop" or "fail"
using Events = QList<Event>;
Q_DECLARE_METATYPE(Events)

// The time-out rule and the three ways a sequence ends, on a worker of this thread whose
// protocol completions are emitted on a schedule.
class TestSequenceWorker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outcome_data()
    {
        QTest::addColumn<bool>("loop");
        QTest::addColumn<Events>("events");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("commands");
        QTest::newRow("steps within the allowance")
            << false << Events{{500, "step"}, {1300, "step"}} << "finished" << 2;
        // Each step is quick enough on its own; together they exceed the one allowance.
        QTest::newRow("one allowance for all steps")
            << false << Events{{1200, "step"}, {2600, "step"}} << "timeout" << 2;
        QTest::newRow("error midway")
            << false << Events{{500, "step"}, {800, "fail"}, {1000, "step"}} << "error" << 2;
        // Every entry into the main state grants a new allowance.
        QTest::newRow("re-entry restarts the allowance")
            << true << Events{{1200, "step"}, {2400, "step"}, {3600, "step"}, {4200, "stop"}}
            << "finished" << 4;
        QTest::newRow("loop stalls")
            << true << Events{{1200, "step"}, {3600, "step"}} << "timeout" << 2;
    }

    void outcome()
    {
        QFETCH(bool, loop);
        QFETCH(Events, events);
        QFETCH(QString, outcome);
        QFETCH(int, commands);

        MessageCapture capture;
        auto *comms = new FakeComms;
        QPointer<SequenceWorker> worker = loop
            ? static_cast<SequenceWorker *>(new LoopWorker(comms))
            : new TwoStepWorker(comms);
        QStringList reports;
        int commandsAtEnd = -1;
        auto report = [&](const QString &what) {
            reports.append(what);
            commandsAtEnd = comms->commands;
            // A late failure of an ended sequence is not reported again.
            comms->fail(QStringLiteral("late"));
        };
        connect(worker, &SequenceWorker::finished, this,
                [&](const QString &name) { report("finished " + name); });
        connect(worker, &SequenceWorker::timeout, this,
                [&](const QString &name) { report("timeout " + name); });
        connect(worker, &SequenceWorker::error, this,
                [&](const QString &name, const QString &e) { report("error " + name + " " + e); });
        for (const Event &event : qAsConst(events)) {
            QTimer::singleShot(event.first, comms, [comms, event] {
                if (event.second == "step")
                    emit comms->stepDone();
                else if (event.second == "stop")
                    emit comms->stop();
                else
                    comms->fail(QStringLiteral("Crc error on received data"));
            });
        }

        QTRY_VERIFY_WITH_TIMEOUT(worker.isNull(), 10000);
        const QString name = loop ? "LoopWorker" : "TwoStepWorker";
        const QString expected = outcome == "error"
            ? QStringLiteral("error %1 Crc error on received data").arg(name)
            : outcome + " " + name;
        QCOMPARE(reports, QStringList{expected});
        QCOMPARE(commandsAtEnd, commands);
        const QStringList lines = capture.lines(QtDebugMsg);
        QCOMPARE(lines.filter("Destroying SequenceWorker").size(), 1);
        // A time-out leaves what was received and pending in the debug output.
        QCOMPARE(lines.filter(QRegularExpression("^(Received Data|Port Buffer):")).size(),
                 outcome == "timeout" ? 2 : 0);
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSequenceWorker)
#include "tst_sequenceworker.moc"
