// The window ended by a signal: during a run and while it waits, at many
// moments, it removes its run records and ends by that signal.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

class SessionSignalsTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;
  QString program_ = QStringLiteral(VANTOR_BIN_DIR "/vantor");

  // A trial long enough that a run is going on whenever it is signalled.
  QString LongRun() {
    QFile in(QStringLiteral(VANTOR_SOURCE_DIR "/data/examples/default.vt4"));
    if (!in.open(QIODevice::ReadOnly)) return {};
    QByteArray text = in.readAll();
    text.replace("  80 Trial duration", "20000 Trial duration");
    QDir(work_.path()).mkpath(QStringLiteral("tmp"));
    const QString path = work_.filePath(QStringLiteral("long.vt4"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size()) return {};
    return path;
  }

  // What the window left in the scratch folder and in its temporary folder
  // "tmp" (where Qt's own runtime folder may stay).
  QStringList Leftovers() {
    const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
    QStringList names = QDir(work_.path()).entryList(all);
    names.removeAll(QStringLiteral("long.vt4"));
    names.removeAll(QStringLiteral("tmp"));
    for (const QString& name : QDir(work_.filePath(QStringLiteral("tmp"))).entryList(all))
      if (!name.startsWith(QStringLiteral("runtime-"))) names << QStringLiteral("tmp/") + name;
    return names;
  }

  // Starts the window on `file` in the scratch folder; `untilRecord` waits
  // for the run's record file to appear first. Returns the wait status.
  int SignalledAfter(const QString& file, int signal, int delayMs, bool untilRecord) {
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(work_.path().toLocal8Bit().constData()) != 0) _exit(127);
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      // The window's private record folder is made here too, so that it
      // marks the run and must be gone afterwards.
      setenv("TMPDIR", work_.filePath(QStringLiteral("tmp")).toLocal8Bit().constData(), 1);
      const QByteArray p = program_.toLocal8Bit(), f = file.toLocal8Bit();
      execl(p.constData(), p.constData(), f.constData(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (untilRecord) {
      QElapsedTimer clock;
      clock.start();
      // A marker, not a time: the record file exists once the run has begun.
      while (Leftovers().isEmpty() && clock.elapsed() < 60000) usleep(1000);
    }
    usleep(static_cast<useconds_t>(delayMs) * 1000);
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  }

 private slots:
  void aRunEndsByTheSignalAndLeavesNothing() {
    const QString file = LongRun();
    QVERIFY(!file.isEmpty());
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
      const int status = SignalledAfter(file, signal, 0, true);
      QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == signal, qPrintable(QString::number(status)));
      QCOMPARE(Leftovers(), QStringList());
    }
  }

  void randomMomentsLeaveNothing() {
    const QString file = LongRun();
    QVERIFY(!file.isEmpty());
    int tries = 0;
    for (; tries < 30; ++tries) {
      const int status =
          SignalledAfter(file, SIGINT, QRandomGenerator::global()->bounded(300), tries % 2 == 0);
      // Early enough, Qt has not yet taken the signal over: the default action.
      QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT, qPrintable(QString::number(status)));
      QCOMPARE(Leftovers(), QStringList());
    }
    qInfo("%d tries", tries);
  }
};

QTEST_GUILESS_MAIN(SessionSignalsTest)
#include "test_session_signals.moc"
