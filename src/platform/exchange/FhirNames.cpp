#include "platform/exchange/FhirNames.h"

#include "platform/db/AtcCode.h"
#include "platform/db/PharvelError.h"

#include <QRegularExpression>
#include <QUrl>

namespace FhirNames {

namespace {
// A DNS label of the hospital's name: small ASCII letters and digits, words joined by hyphens.
QString hostLabel(const QString& name)
{
    QString label;
    for (const QChar c : name.normalized(QString::NormalizationForm_KD)) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            label += c.toLower();
        else if (!c.isMark() && !label.isEmpty() && !label.endsWith(QLatin1Char('-')))
            label += QLatin1Char('-');
    }
    constexpr qsizetype kLongestLabel = 63;
    label = label.left(kLongestLabel);
    while (label.endsWith(QLatin1Char('-')))
        label.chop(1);
    return label.isEmpty() ? QStringLiteral("hospital") : label;
}
} // namespace

QString Base(const std::optional<HospitalRecord>& hospital)
{
    if (hospital && !hospital->fhirBase.isEmpty())
        return hospital->fhirBase;
    const QString name = !hospital                                  ? QString()
                         : hospital->clientName.trimmed().isEmpty() ? hospital->company
                                                                    : hospital->clientName;
    return QStringLiteral("https://%1.invalid/fhir").arg(hostLabel(name));
}

QString CheckedBase(const QString& text)
{
    QString base = text.trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    // The bundle's entries take their full URLs under the base, and references between them
    // resolve only against an http or https one.
    const QUrl url(base, QUrl::StrictMode);
    const bool web =
        url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    if (!url.isValid() || !web || url.host().isEmpty() ||
        base.contains(QRegularExpression(QStringLiteral("\\s"))) || url.hasQuery() ||
        url.hasFragment() || !url.userInfo().isEmpty())
        throw PharvelError(ErrorNumber::Refused,
                           QStringLiteral("\"%1\" is no base URL for the FHIR export: give an "
                                          "absolute http or https address without spaces, "
                                          "query or fragment.")
                               .arg(text),
                           QStringLiteral("FhirNames.CheckedBase"));
    return base;
}

QString ClassificationSystem(const QString& base)
{
    return base + QStringLiteral("/CodeSystem/") + kClassificationsId;
}

QString GenericSystem(const QString& base)
{
    return base + QStringLiteral("/CodeSystem/generic-name");
}

QString ItemSystem(const QString& base)
{
    return base + QStringLiteral("/identifier/item");
}

QString ReferenceSystem(const QString& base, const QString& systemName)
{
    if (systemName == AtcCode::kSystem)
        return kAtcSystem;
    return base + QStringLiteral("/CodeSystem/reference/") +
           QString::fromLatin1(QUrl::toPercentEncoding(systemName));
}

QString GenericId(int code)
{
    return QStringLiteral("generic-%1").arg(code);
}

QString ItemId(int itemId)
{
    return QStringLiteral("item-%1").arg(itemId);
}

} // namespace FhirNames
