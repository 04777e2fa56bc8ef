#pragma once

// Runs one test function of this test program again in a child process: for what a process does only once,
// such as looking for its sound server. The child sees `variable` set and runs the function alone.

#include <QCoreApplication>
#include <QProcess>

// True in the child.
inline bool isChildRun(const char *variable)
{
    return qEnvironmentVariableIsSet(variable);
}

struct ChildRun {
    bool passed = false;
    QByteArray output;
};

// Runs `function` (and only the row `tag`, when given) in a child with `environment`; it has passed when the
// child ends normally and reports the function as passed.
inline ChildRun runInChild(const char *variable, const QString &function, const QString &tag = {},
                           QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
{
    environment.insert(QString::fromLatin1(variable), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {tag.isEmpty() ? function : function + u':' + tag});
    ChildRun run;
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        run.output = "the child did not finish: " + child.readAll();
        return run;
    }
    run.output = child.readAll();
    const QByteArray passed = "::" + function.toUtf8() + '(' + tag.toUtf8() + ")\n";
    run.passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    bool reported = false;
    for (const QByteArray &line : run.output.split('\n'))
        reported = reported || (line.startsWith("PASS   : ") && (line + '\n').endsWith(passed));
    run.passed = run.passed && reported;
    return run;
}
