#include "support/ProgramRun.h"

#include <QProcess>

namespace wobbin::testing {

Run RunProgram(const QStringList &args, const QString &program, const std::optional<QByteArray> &input,
               const QProcessEnvironment &env)
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(program.isEmpty() ? kProgram : program, args);
    if (input) {
        p.write(*input);
        p.closeWriteChannel();
    }
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace wobbin::testing
