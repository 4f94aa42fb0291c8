#pragma once
// The program's message texts, named for what they say. They come from the
// string table and are read once, on first use.

#include <QString>

namespace wobbin {

struct TMessages {
    QString SaveBeforeUpload;            // 34
    QString ChooseServerToUpload;        // 35
    QString SaveBeforeContinuing;        // 100
    QString SaveChangesBeforeContinuing; // 101
    QString HandEditsWillBeLost;         // 102
    QString SaveChangesQuestion;         // 103
    QString PreviewFailed;               // 5079
    QString DeletePageQuestion;          // 5080, followed by the page's name
    QString ForbiddenNameCharacters;     // 5082
    QString PastedIntoCompanion;         // 5083
    QString CompanionUnreachable;        // 5084
    QString AlignLeft, AlignCenter, AlignRight; // 13, 14, 15
    QString Untitled;                    // 33
    QString NoStyle;                     // 31 "[None]"

    static const TMessages &Get();
};

} // namespace wobbin
