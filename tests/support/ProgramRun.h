#pragma once
// The program as the build made it, run the way a script runs it.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace wobbin::testing {

inline const QString kProgram = QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express");

struct Run {
    int code = -1; // the exit code; -1 when it crashed or had not ended after a minute
    QByteArray out;
    QByteArray err;
};

// Runs program (kProgram when empty) with args; input, when given, goes to
// its standard input, which is closed then (else left open); env is its
// environment (the test's own when empty).
Run RunProgram(const QStringList &args, const QString &program = QString(),
               const std::optional<QByteArray> &input = std::nullopt, const QProcessEnvironment &env = {});

} // namespace wobbin::testing
