// Right-click "What's This?" help of the main window and the help menu.
#include "workspace/frmMain.h"

#include "workspace/Help.h"

#include <QListWidget>
#include <QMenu>

namespace wobbin {

void TfrmMain::ShowWhatsThis(QWidget *control, QPoint localPos)
{
    if (!control)
        return;
    WhatsThisContext = TagOf(control);
    popWhatsThis->popup(control->mapToGlobal(localPos));
}

int PaletteHelpContext(int tag)
{
    switch (tag) {
    case 1: return 12;
    case 23: return 13;
    case 45: return 14;
    case 67: return 15;
    case 89: return 16;
    case 111: return 17;
    default: return 0;
    }
}

void TfrmMain::ShowPaletteWhatsThis(QWidget *image, QPoint localPos)
{
    if (!image)
        return;
    WhatsThisContext = PaletteHelpContext(TagOf(image));
    popWhatsThis->popup(image->mapToGlobal(localPos));
}

void TfrmMain::PopUpWhatsThis(int context, QPoint globalPos)
{
    WhatsThisContext = context;
    popWhatsThis->popup(globalPos);
}

void TfrmMain::popMenWhatsThisClick()
{
    if (WhatsThisContext == TagOf(lstStyles))
        THelp::ShowTopic(WhatsThisContext, this);
    else
        THelp::ShowPopup(WhatsThisContext, popWhatsThis->pos(), this);
}

void TfrmMain::WhatsThis1Click()
{
    THelp::ShowPopup(TagOf(lvTemplates), popFiles->pos(), this);
}

void TfrmMain::mnuHelpTopicsClick() { THelp::ShowContents(this); }

} // namespace wobbin
