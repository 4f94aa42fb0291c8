#include "support/AudioServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace wobbin::testing {

AudioServer::~AudioServer()
{
    Stop();
}

bool AudioServer::Start(QString *error)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (program.isEmpty()) {
        *error = QStringLiteral("pulseaudio is missing: run scripts/install-deps.sh");
        return false;
    }
    m_runtime = QDir::temp().filePath(QStringLiteral("wobbin-audio-%1").arg(QCoreApplication::applicationPid()));
    QDir().mkpath(m_runtime);
    QFile::setPermissions(m_runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    env.insert(QStringLiteral("HOME"), m_runtime);
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                              QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                              QStringLiteral("--load=module-null-sink sink_name=wobbin_test_sink"),
                              QStringLiteral("--load=module-native-protocol-unix")});
    if (!m_process.waitForStarted(10000)) {
        *error = QStringLiteral("pulseaudio did not start: %1").arg(m_process.errorString());
        return false;
    }
    const QString socket = m_runtime + QStringLiteral("/pulse/native");
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(socket) && clock.elapsed() < 10000 && m_process.state() == QProcess::Running)
        QThread::msleep(50);
    if (!QFileInfo::exists(socket)) {
        *error = QStringLiteral("pulseaudio made no socket: %1").arg(QString::fromLocal8Bit(m_process.readAll()));
        Stop();
        return false;
    }
    qputenv("XDG_RUNTIME_DIR", m_runtime.toLocal8Bit());
    qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
    return true;
}

void AudioServer::Stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    if (!m_runtime.isEmpty())
        QDir(m_runtime).removeRecursively();
    m_runtime.clear();
}

} // namespace wobbin::testing
