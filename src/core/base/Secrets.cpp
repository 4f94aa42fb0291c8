#include "base/Secrets.h"

#include <cstring>

#include <sys/prctl.h>
#include <sys/resource.h>

namespace wobbin {

bool HasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
            return true;
    }
    return false;
}

QString PrivateCopy(const QString &text)
{
    return text.isEmpty() ? QString() : QString(text.constData(), text.size());
}

void WipeString(QString &text)
{
    // Characters compiled into the program (a literal) have no block of their
    // own and cannot be written.
    if (text.data_ptr().d_ptr() && !text.isEmpty())
        explicit_bzero(const_cast<QChar *>(text.constData()), size_t(text.size()) * sizeof(QChar));
    text = QString();
}

void WipeBytes(QByteArray &bytes)
{
    if (bytes.data_ptr().d_ptr() && !bytes.isEmpty())
        explicit_bzero(const_cast<char *>(bytes.constData()), size_t(bytes.size()));
    bytes = QByteArray();
}

void KeepSecretsOutOfCoreDumps()
{
    struct rlimit core = {0, 0};
    getrlimit(RLIMIT_CORE, &core);
    core.rlim_cur = 0;
    setrlimit(RLIMIT_CORE, &core);
    // Not dumpable: no core even where the limit is raised again from outside.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

} // namespace wobbin
