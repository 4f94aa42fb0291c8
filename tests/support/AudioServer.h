#pragma once
// A real sound server for tests of sounds: PulseAudio with a null output of
// its own, started in a private runtime folder and stopped with the object.
// Start it before anything asks for audio devices.

#include <QProcess>
#include <QString>

namespace wobbin::testing {

class AudioServer
{
public:
    AudioServer() = default;
    ~AudioServer();
    AudioServer(const AudioServer &) = delete;
    AudioServer &operator=(const AudioServer &) = delete;

    // Starts the server and points this process (XDG_RUNTIME_DIR, PULSE_SERVER)
    // at it. False with the reason when it cannot run.
    bool Start(QString *error);
    void Stop();

private:
    QProcess m_process;
    QString m_runtime;
};

} // namespace wobbin::testing
