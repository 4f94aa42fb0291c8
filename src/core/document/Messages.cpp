#include "document/Messages.h"

#include "strings/StringTable.h"

namespace wobbin {

const TMessages &TMessages::Get()
{
    static const TMessages messages = [] {
        TMessages m;
        m.SaveBeforeUpload = LoadStr(34);
        m.ChooseServerToUpload = LoadStr(35);
        m.SaveBeforeContinuing = LoadStr(100);
        m.SaveChangesBeforeContinuing = LoadStr(101);
        m.HandEditsWillBeLost = LoadStr(102);
        m.SaveChangesQuestion = LoadStr(103);
        m.PreviewFailed = LoadStr(5079);
        m.DeletePageQuestion = LoadStr(5080);
        m.ForbiddenNameCharacters = LoadStr(5082);
        m.PastedIntoCompanion = LoadStr(5083);
        m.CompanionUnreachable = LoadStr(5084);
        m.AlignLeft = LoadStr(13);
        m.AlignCenter = LoadStr(14);
        m.AlignRight = LoadStr(15);
        m.Untitled = LoadStr(33);
        m.NoStyle = LoadStr(31);
        return m;
    }();
    return messages;
}

} // namespace wobbin
