#include "platform/db/FormularyRecord.h"

#include "platform/db/AtcCode.h"
#include "platform/db/TextLimits.h"

#include <QSet>

namespace FormularyStatus {

const QStringList& All()
{
    static const QStringList all{InFormulary, Restricted, WithGuidelines, NotInFormulary,
                                 QStringLiteral("")};
    return all;
}

bool IsValid(const QString& status)
{
    return All().contains(status);
}

bool NeedsText(const QString& status)
{
    return status == Restricted || status == WithGuidelines;
}

QString Word(const QString& status)
{
    if (status == InFormulary)
        return QStringLiteral("in the formulary");
    if (status == NotInFormulary)
        return QStringLiteral("not in the formulary");
    if (status == Restricted)
        return QStringLiteral("restricted");
    if (status == WithGuidelines)
        return QStringLiteral("with guidelines");
    return QStringLiteral("not yet decided");
}

} // namespace FormularyStatus

namespace VenCategory {

bool IsValid(const QString& category)
{
    return category.isEmpty() || category == Vital || category == Essential ||
           category == NonEssential;
}

QString Word(const QString& category)
{
    if (category == Vital)
        return QStringLiteral("vital");
    if (category == Essential)
        return QStringLiteral("essential");
    if (category == NonEssential)
        return QStringLiteral("non-essential");
    return QStringLiteral("not assigned");
}

} // namespace VenCategory

namespace AlternativeKind {

bool IsValid(const QString& kind)
{
    return kind == Preferred || kind == Equivalent;
}

QString Word(const QString& kind)
{
    return kind == Preferred ? QStringLiteral("preferred alternative")
                             : QStringLiteral("therapeutic equivalent");
}

} // namespace AlternativeKind

bool FormularyRecord::HasDecision() const
{
    return !status.isEmpty() || !restriction.isEmpty() || !decidedOn.isNull() ||
           !decisionRef.isEmpty() || !reviewOn.isNull() || !ven.isEmpty();
}

namespace {

// A text that neither engine keeps exactly (a server text ends at a NUL, a broken surrogate has
// no UTF-8 spelling), or that is longer than its column takes.
void checkText(QStringList& problems, const QString& what, const QString& text, qsizetype longest)
{
    if (text.size() > longest)
        problems << TextLimits::TooLong(QStringLiteral("The ") + what, longest);
    if (text.contains(QChar(0)) || !text.isValidUtf16())
        problems << QStringLiteral("The %1 holds a character that cannot be stored (a NUL or "
                                   "half of a surrogate pair).")
                        .arg(what);
}

void checkCodes(QStringList& problems, const QList<ReferenceCode>& codes)
{
    QSet<QPair<QString, QString>> seen;
    for (const ReferenceCode& code : codes) {
        checkText(problems, QStringLiteral("code system"), code.system, TextLimits::kCodeSystem);
        checkText(problems, QStringLiteral("code"), code.code, TextLimits::kCode);
        if (code.system.trimmed().isEmpty() || code.code.trimmed().isEmpty())
            problems << QStringLiteral("A reference code needs both its code system and its "
                                       "code.");
        else if (code.system == AtcCode::kSystem) {
            if (!AtcCode::IsWellFormed(code.code))
                problems << AtcCode::Problem(code.code);
        } else if (code.system.compare(AtcCode::kSystem, Qt::CaseInsensitive) == 0)
            problems << QStringLiteral("The code system \"%1\" is spelt \"%2\".")
                            .arg(code.system, AtcCode::kSystem);
        if (seen.contains({code.system, code.code}))
            problems
                << QStringLiteral("The code %1 %2 is given twice.").arg(code.system, code.code);
        seen.insert({code.system, code.code});
    }
}

void checkAlternatives(QStringList& problems, const FormularyRecord& record)
{
    QSet<int> seen;
    for (const Alternative& alternative : record.alternatives) {
        if (alternative.generic == record.generic)
            problems << QStringLiteral("A generic name cannot be its own alternative.");
        if (alternative.generic < 1 || alternative.generic > kHighestId)
            problems << QStringLiteral("The alternative's generic code %1 is not between 1 and "
                                       "%2.")
                            .arg(alternative.generic)
                            .arg(kHighestId);
        if (!AlternativeKind::IsValid(alternative.kind))
            problems << QStringLiteral("\"%1\" is no kind of alternative: P (preferred "
                                       "alternative) or T (therapeutic equivalent).")
                            .arg(alternative.kind);
        checkText(problems, QStringLiteral("alternative's note"), alternative.note,
                  TextLimits::kNote);
        if (seen.contains(alternative.generic))
            problems << QStringLiteral("The generic name %1 is listed twice as an alternative.")
                            .arg(alternative.generic);
        seen.insert(alternative.generic);
    }
}

} // namespace

QStringList FormularyProblems(const FormularyRecord& record)
{
    QStringList problems;
    if (!FormularyStatus::IsValid(record.status))
        problems << QStringLiteral("\"%1\" is no formulary status: Y, N, R, G or none.")
                        .arg(record.status);
    else if (FormularyStatus::NeedsText(record.status) && record.restriction.trimmed().isEmpty())
        problems << QStringLiteral("A generic name that is %1 needs the text that says who may "
                                   "prescribe it, for what and for how long.")
                        .arg(FormularyStatus::Word(record.status));
    if (!VenCategory::IsValid(record.ven))
        problems << QStringLiteral("\"%1\" is no VEN category: V, E, N or none.").arg(record.ven);
    checkText(problems, QStringLiteral("restriction"), record.restriction,
              TextLimits::kRestriction);
    checkText(problems, QStringLiteral("decision's reference"), record.decisionRef,
              TextLimits::kDecisionRef);
    checkCodes(problems, record.codes);
    checkAlternatives(problems, record);
    return problems;
}

QString FormularySummary(const FormularyRecord& record)
{
    QStringList lines;
    const auto add = [&](const QString& field, const QString& value) {
        if (!value.isEmpty())
            lines << field + QStringLiteral(": ") + value;
    };
    if (!record.status.isEmpty())
        add(QStringLiteral("status"),
            record.status + QLatin1Char(' ') + FormularyStatus::Word(record.status));
    add(QStringLiteral("restriction"), record.restriction);
    add(QStringLiteral("decided"), record.decidedOn.toString(Qt::ISODate));
    add(QStringLiteral("reference"), record.decisionRef);
    add(QStringLiteral("review"), record.reviewOn.toString(Qt::ISODate));
    if (!record.ven.isEmpty())
        add(QStringLiteral("VEN"), record.ven + QLatin1Char(' ') + VenCategory::Word(record.ven));
    for (const ReferenceCode& code : record.codes)
        add(QStringLiteral("code"), code.system + QLatin1Char(' ') + code.code);
    for (const Alternative& alternative : record.alternatives) {
        QString text = QString::number(alternative.generic);
        if (!alternative.name.isEmpty())
            text += QLatin1Char(' ') + alternative.name;
        text += QStringLiteral(" (%1)").arg(AlternativeKind::Word(alternative.kind));
        if (!alternative.note.isEmpty())
            text += QStringLiteral(": ") + alternative.note;
        add(QStringLiteral("alternative"), text);
    }
    return lines.join(QLatin1Char('\n'));
}
