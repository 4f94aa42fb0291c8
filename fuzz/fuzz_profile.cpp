// Provider files (INI) over arbitrary bytes, read as the server list reads a
// provider's file: no crash; names match without regard to case; no value
// spans lines; a value that is there reads, also when empty; the address built from the
// provider's template holds the login wherever the template asked for it;
// and a value scrambled as a password unscrambles to itself.
#include "publish/ProfileFile.h"
#include "publish/ServerList.h"

#include <cstdlib>

using namespace wobbin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    TProfileFile ini;
    ini.Parse(bytes);
    const QString options = QStringLiteral("Server Options"), details = QStringLiteral("Server Details");
    ISPDetails d;
    d.CreateDir = ini.ReadBool(options, QStringLiteral("CreateDir"), false);
    d.Login = ini.ReadBool(options, QStringLiteral("Login"), true);
    d.Name = ini.ReadString(details, QStringLiteral("Name"));
    d.Address = ini.ReadString(details, QStringLiteral("Address"));
    d.Directory = ini.ReadString(details, QStringLiteral("Directory"));
    d.URL = ini.ReadString(details, QStringLiteral("URL"));
    for (const QString &value : {d.Name, d.Address, d.Directory, d.URL})
        if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
            std::abort();
    if (ini.ReadString(details.toUpper(), QStringLiteral("nAmE")) != d.Name)
        std::abort();
    // No value holds a line break, so one stands for "not there".
    const QString missing = QStringLiteral("\n");
    if (ini.HasValue(details, QStringLiteral("URL")) == (ini.ReadString(details, QStringLiteral("URL"), missing) == missing))
        std::abort();
    (void)ini.ReadInteger(options, QStringLiteral("Port"), 21);

    tWWWServerType record;
    const QString url = BuildURL(record, &d, QStringLiteral("ann"), d.Directory, d.Address);
    if (d.URL.contains(QLatin1String("%login%"), Qt::CaseInsensitive) && !url.contains(QLatin1String("ann")))
        std::abort();
    if (!d.URL.contains(QLatin1Char('%')) && url != d.URL)
        std::abort();

    bool damaged = false;
    if (CryptPassword(CryptPassword(d.Name, QStringLiteral("ENC")), QStringLiteral("DEC"), &damaged) != d.Name || damaged)
        std::abort();
    (void)CryptPassword(d.Address, QStringLiteral("DEC"), &damaged);
    return 0;
}
