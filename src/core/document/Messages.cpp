#include "document/Messages.h"

#include "strings/StringTable.h"
#include "strings/Msg.h"

namespace wobbin {

const TMessages &TMessages::Get()
{
    static const TMessages messages = [] {
        TMessages m;
        m.SaveBeforeUpload = LoadStr(Msg::SaveBeforeUpload);
        m.ChooseServerToUpload = LoadStr(Msg::ChooseServerFirst);
        m.SaveBeforeContinuing = LoadStr(Msg::SaveFileFirst);
        m.SaveChangesBeforeContinuing = LoadStr(Msg::SaveChangesFirst);
        m.HandEditsWillBeLost = LoadStr(Msg::LoseHtmlChangesGoBack);
        m.SaveChangesQuestion = LoadStr(Msg::SaveChangesQuestion);
        m.PreviewFailed = LoadStr(Msg::PreviewFailed);
        m.DeletePageQuestion = LoadStr(Msg::DeleteFileQuestion);
        m.ForbiddenNameCharacters = LoadStr(Msg::PageNameBadCharacters);
        m.PastedIntoCompanion = LoadStr(Msg::CompanionPasted);
        m.CompanionUnreachable = LoadStr(Msg::CompanionUnreachable);
        m.AlignLeft = LoadStr(Msg::AlignLeft);
        m.AlignCenter = LoadStr(Msg::AlignCenter);
        m.AlignRight = LoadStr(Msg::AlignRight);
        m.Untitled = LoadStr(Msg::Untitled);
        m.NoStyle = LoadStr(Msg::NoneChosen);
        return m;
    }();
    return messages;
}

} // namespace wobbin
