#pragma once
// The rules of the server list wizard, without widgets: the working copy of
// the list, the record being edited, the mode, the change flag, and what
// Finish, Delete, Up and Down do to the list. The wizard window shows this
// state and forwards its user's actions here.

#include "publish/ServerList.h"

#include <QStringList>

namespace wobbin {

class TServerWizardState
{
public:
    enum Mode { Add = 0, Modify = 1, Delete = 2 };

    // Working copy of ServerList(); a fresh record to edit.
    TServerWizardState();

    TServerList EditList;
    int WizardMode = Add;
    bool ListChanged = false;
    bool AdvancedVisited = false;
    int SelectedISP = -1;  // index into ISPList(), -1 for Common

    // The record the pages edit: a fresh one, or a record of EditList.
    tWWWServerType &Current();
    const tWWWServerType &Current() const;
    // Its index in EditList; -1 for the fresh record.
    int CurrentIndex() const { return m_current; }
    // A new empty record becomes the current one.
    void NewServer();

    // The descriptions shown in the list box (records with a name, in order).
    QStringList ListNames() const;
    // The EditList index of a list-box row; -1 when out of range.
    int IndexOfRow(int row) const;
    // Makes the record of that row the current one; false when out of range.
    bool SelectRow(int row);
    // Moves the row's record one place up or down; returns the row to select
    // (the first row of the same description without regard to case), or -1
    // when nothing moved.
    int MoveUp(int row);
    int MoveDown(int row);
    // Removes the row's record; a fresh record becomes current.
    bool DeleteRow(int row);

    // The provider chosen (nullptr for Common).
    const ISPDetails *Provider() const;

    // The first failing check as a string number (620, 621, 622), 0 when all pass.
    static int CheckFields(const QString &name, const QString &address, const QString &login);
    // What Finish refuses in the fields the kind of destination needs: a
    // folder's path that is not absolute (677); a server's address (621) and
    // login (622) when the Advanced page was seen (whose button checked them
    // before it chose the kind). 0 when all pass.
    static int CheckKindFields(TTransferProtocol kind, bool advancedVisited, const QString &address,
                               const QString &login, const QString &folder);
    // What the server details page refuses: 640 for a login name, 641 for a
    // password that holds a control character (a paste brings a line break
    // along); 0 when both are fine.
    static int CheckLogOn(const QString &login, const QString &password);
    // What Finish refuses in Add and Modify mode: 620 for an empty description,
    // 630 for one that another server has (compared without regard to case); 0 otherwise.
    int CheckDescription(const QString &name) const;

    // Finish in Add mode: completes the current record from the fields and
    // appends it to EditList.
    void FinishAdd(const QString &login, const QString &directoryText, const QString &urlText);

    // Writes EditList as the server list; on success it replaces ServerList()
    // and the change flag is cleared. On failure nothing changes.
    [[nodiscard]] TResult<void> WriteServerInfo();

private:
    int moveRow(int row, int delta);

    tWWWServerType m_fresh;
    int m_current = -1;
};

// The Send panel's server combo box: the descriptions of ServerList() in order
// and the entry to select (the "LastServer" one, matched without regard to
// case, else the first; -1 when the list is empty).
struct TServerChoice
{
    QStringList names;
    int selected = -1;
};
TServerChoice ServerComboChoice();
// Remembers the chosen server as "LastServer" (the key is created when missing).
void RememberLastServer(const QString &name);
// The record of ServerList() shown at that combo position; nullptr when none.
const tWWWServerType *ServerAtChoice(int comboIndex);

} // namespace wobbin
