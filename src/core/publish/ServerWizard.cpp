#include "publish/ServerWizard.h"

#include "settings/Settings.h"
#include "base/Secrets.h"

namespace wobbin {

namespace {
const QString kServersKey = QStringLiteral("WWWServers");

// Row positions of the records that have a name.
QList<int> NamedIndexes(const TServerList &list)
{
    QList<int> out;
    for (int i = 0; i < list.size(); ++i)
        if (!list.at(i).Name.isEmpty())
            out << i;
    return out;
}
} // namespace

TServerWizardState::TServerWizardState() : EditList(ServerList()) {}

tWWWServerType &TServerWizardState::Current()
{
    return m_current >= 0 && m_current < EditList.size() ? EditList[m_current] : m_fresh;
}

const tWWWServerType &TServerWizardState::Current() const
{
    return m_current >= 0 && m_current < EditList.size() ? EditList.at(m_current) : m_fresh;
}

void TServerWizardState::NewServer()
{
    m_fresh = tWWWServerType();
    m_current = -1;
}

QStringList TServerWizardState::ListNames() const
{
    QStringList out;
    for (int i : NamedIndexes(EditList))
        out << EditList.at(i).Name;
    return out;
}

int TServerWizardState::IndexOfRow(int row) const
{
    const QList<int> named = NamedIndexes(EditList);
    return row >= 0 && row < named.size() ? named.at(row) : -1;
}

bool TServerWizardState::SelectRow(int row)
{
    const int i = IndexOfRow(row);
    if (i < 0)
        return false;
    m_current = i;
    return true;
}

int TServerWizardState::moveRow(int row, int delta)
{
    const QList<int> named = NamedIndexes(EditList);
    const int target = row + delta;
    if (row < 0 || row >= named.size() || target < 0 || target >= named.size())
        return -1;
    const int from = named.at(row), to = named.at(target);
    const QString name = EditList.at(from).Name;
    const bool wasCurrent = m_current == from;
    EditList.swapItemsAt(from, to);
    if (wasCurrent)
        m_current = to;
    else if (m_current == to)
        m_current = from;
    ListChanged = true;
    const QStringList names = ListNames();
    for (int r = 0; r < names.size(); ++r)
        if (names.at(r).compare(name, Qt::CaseInsensitive) == 0)
            return r;
    return target;
}

int TServerWizardState::MoveUp(int row)
{
    return moveRow(row, -1);
}

int TServerWizardState::MoveDown(int row)
{
    return moveRow(row, +1);
}

bool TServerWizardState::DeleteRow(int row)
{
    const int i = IndexOfRow(row);
    if (i < 0)
        return false;
    EditList.removeAt(i);
    NewServer();
    ListChanged = true;
    return true;
}

const ISPDetails *TServerWizardState::Provider() const
{
    return SelectedISP >= 0 && SelectedISP < ISPList().size() ? &ISPList().at(SelectedISP) : nullptr;
}

int TServerWizardState::CheckFields(const QString &name, const QString &address, const QString &login)
{
    if (name.isEmpty())
        return 620;
    if (address.isEmpty())
        return 621;
    if (login.isEmpty())
        return 622;
    return 0;
}

int TServerWizardState::CheckKindFields(TTransferProtocol kind, bool advancedVisited, const QString &address,
                                        const QString &login, const QString &folder)
{
    if (kind == TTransferProtocol::Folder)
        return folder.trimmed().startsWith(QLatin1Char('/')) ? 0 : 677;
    if (!advancedVisited)
        return 0;
    return CheckFields(QStringLiteral("-"), address, login);
}

int TServerWizardState::CheckLogOn(const QString &login, const QString &password)
{
    if (HasControlCharacter(login))
        return 640;
    if (HasControlCharacter(password))
        return 641;
    return 0;
}

int TServerWizardState::CheckDescription(const QString &name) const
{
    if (name.isEmpty())
        return 620;
    for (int i = 0; i < EditList.size(); ++i)
        if (i != m_current && EditList.at(i).Name.compare(name, Qt::CaseInsensitive) == 0)
            return 630;
    return 0;
}

void TServerWizardState::FinishAdd(const QString &login, const QString &directoryText, const QString &urlText)
{
    tWWWServerType &cur = Current();
    const ISPDetails *p = Provider();
    if (!AdvancedVisited) {
        cur.URL = BuildURL(cur, p, login, directoryText, urlText);
        // The Advanced page was not shown: the provider's folder rules apply all the same.
        if (p) {
            cur.Directory = p->Directory;
            cur.FlatDir = !p->CreateDir;
        }
    }
    if (IsGeoCities(cur.ISP) && p) {
        cur.Directory = p->Directory;
        // The neighbourhood and number are typed on the Advanced page only.
        if (AdvancedVisited) {
            cur.ExtendedA = directoryText;
            cur.ExtendedB = urlText;
        }
        cur.URL = BuildURL(cur, p, login, cur.ExtendedA, cur.ExtendedB);
    }
    EditList.append(cur);
    m_current = int(EditList.size()) - 1;
}

TResult<void> TServerWizardState::WriteServerInfo()
{
    TServerList saved = EditList;
    TResult<void> written = SaveServerList(saved);
    if (!written.ok())
        return written;
    EditList = saved;
    ServerList() = saved;
    ListChanged = false;
    return written;
}

// ---- the Send panel's combo box ----------------------------------------------

TServerChoice ServerComboChoice()
{
    TServerChoice c;
    for (const tWWWServerType &r : ServerList())
        if (!r.Name.isEmpty())
            c.names << r.Name;
    if (c.names.isEmpty())
        return c;
    QString last;
    TWobbinReg &reg = SettingsStore();
    if (reg.KeyExists(QStringList{kServersKey}) && reg.OpenKey(QStringList{kServersKey}, false)) {
        last = reg.ReadString(QStringLiteral("LastServer"));
        reg.CloseKey();
    }
    if (!last.isEmpty())
        for (int i = 0; i < c.names.size() && c.selected < 0; ++i)
            if (c.names.at(i).compare(last, Qt::CaseInsensitive) == 0)
                c.selected = i;
    if (c.selected < 0)
        c.selected = 0;
    return c;
}

void RememberLastServer(const QString &name)
{
    TWobbinReg &reg = SettingsStore();
    if (!reg.OpenKey(QStringList{kServersKey}, true))
        return;
    reg.WriteString(QStringLiteral("LastServer"), name);
    reg.CloseKey();
}

const tWWWServerType *ServerAtChoice(int comboIndex)
{
    int row = 0;
    for (const tWWWServerType &r : ServerList()) {
        if (r.Name.isEmpty())
            continue;
        if (row++ == comboIndex)
            return &r;
    }
    return nullptr;
}

} // namespace wobbin
