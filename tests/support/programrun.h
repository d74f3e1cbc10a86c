// Runs a program of ours to its end and keeps what it wrote: the tests' one process runner.
#pragma once

#include <QProcess>

#include <csignal>

class ProgramRun {
public:
    ProgramRun(const QString& program, const QStringList& arguments)
    {
        process.start(program, arguments);
        process.waitForStarted();
    }

    void interrupt() { ::kill(pid_t(process.processId()), SIGINT); }

    // The exit status, or -1 when the program crashed or did not end in time.
    int finish(int timeoutMs = 120000)
    {
        if (!process.waitForFinished(timeoutMs))
            process.kill();
        process.waitForFinished();
        out = process.readAllStandardOutput();
        err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // The program's own last line; libraries may write lines of their own before it.
    QString lastErrorLine() const
    {
        return QString::fromLocal8Bit(err.trimmed().split('\n').last());
    }

    QByteArray out, err;

private:
    QProcess process;
};
