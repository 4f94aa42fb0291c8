#pragma once
// The Send panel's rotating web of logos, the sites behind them, and the
// addresses handed to the user's browser through the redirect page.

#include "base/Result.h"

#include <QString>

namespace wobbin {

// Display name and home page of the site at a position of the web (0..6).
QString PartnerDisplayName(int position);
QString PartnerHomePage(int position);

// The page the browser is handed an address through.
QString RedirectPageText(const QString &address);
// Writes the redirect page "~qzxpreview.html" in the program's private
// temporary folder (base/PrivateTemp.h); its
// path, empty (with the cause in *error) when it could not be written.
TResult<QString> WriteRedirectPage(const QString &address);

// The address of the user's uploaded page: the server address joined with the
// page file's name, ".html" in place of its extension, blanks removed.
QString YourPageAddress(const QString &serverUrl, const QString &pageFileName);

// The web under the magnifier: positions 0..6 the logos, 7 the user's page
// (reached only after an upload). A turn takes five timer ticks.
class TRotatingWeb
{
public:
    static constexpr int kYourPage = 7;

    int Index = -1;            // position under the magnifier, -1 after entering Send
    int Frame = 0;             // 0 at rest, 1..4 while turning
    bool TurnsLeft = false;    // the direction of the running turn
    bool PageUploaded = false; // only goes from clear to set

    // What one tick draws: Bitmap at (X, Y) over the resting web.
    struct Tick {
        QString Bitmap;
        int X = 0;
        int Y = 0;
        bool HideLogos = false; // first frame: the logos go while the web turns
        bool Finished = false;  // the turn is over: the timer stops, Index moved
    };

    // Entering Send: no position.
    void Reset() { Index = -1; }
    // The next tick of the turn in direction TurnsLeft.
    Tick NextTick();
    // Brings Index into the positions that may show (left of 0 is the last).
    int Normalise();
    // The text under the magnifier for the position.
    QString Label() const;
};

} // namespace wobbin
