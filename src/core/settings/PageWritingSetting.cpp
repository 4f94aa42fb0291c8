#include "settings/PageWritingSetting.h"

#include "settings/Settings.h"
#include "page/PhoneHtml.h"

#include <QLocale>

namespace wobbin {
namespace {
const QString kGeneral = QStringLiteral("General");
} // namespace

HtmlForm SavedHtmlForm()
{
    return ReadSetting(kGeneral, QStringLiteral("FitsPhones")) == QLatin1String("Yes") ? HtmlForm::FitsPhones
                                                                                        : HtmlForm::Classic;
}

void SaveHtmlForm(HtmlForm form)
{
    WriteSetting(kGeneral, QStringLiteral("FitsPhones"),
                 form == HtmlForm::FitsPhones ? QStringLiteral("Yes") : QStringLiteral("No"));
}

QString PageLanguage()
{
    const QString stored = ReadSetting(kGeneral, QStringLiteral("PageLanguage")).trimmed();
    if (!stored.isEmpty() && stored != QLatin1String("ERROR") && PageLanguageTag(stored) == stored)
        return stored;
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? QStringLiteral("en") : PageLanguageTag(system.bcp47Name());
}

} // namespace wobbin
