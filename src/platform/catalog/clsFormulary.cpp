#include "platform/catalog/clsFormulary.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/db/Formulary.h"
#include "platform/db/FormularyStore.h"
#include "platform/db/GenericStore.h"
#include "platform/db/Journal.h"
#include "platform/db/SqlDialect.h"

namespace ClassPharvel {

namespace {
void requireRegistered(SQLConnection& connection, CatalogueId::Generic code, const QString& what)
{
    if (!GenericStore::Find(connection, code))
        CatalogueSession::Refuse(QStringLiteral("The %1 %2 is not in the register of generic "
                                                "names (another user may have just deleted it); "
                                                "nothing was saved.")
                                     .arg(what)
                                     .arg(code));
}
} // namespace

FormularyRecord clsFormulary::ReadFormulary(CatalogueId::Generic genericCode)
{
    return m_session.Read(QStringLiteral("Pharvel.ReadFormulary"), [&] {
        SQLConnection& connection = m_session.Connection();
        requireRegistered(connection, genericCode, QStringLiteral("generic name"));
        return Formulary::Read(connection, genericCode);
    });
}

clsFormulary::SaveOutcome clsFormulary::SaveFormulary(const FormularyRecord& changed,
                                                      const FormularyRecord& asRead)
{
    SaveOutcome outcome;
    m_session.Write(QStringLiteral("Pharvel.SaveFormulary"), [&] {
        SQLConnection& connection = m_session.Connection();
        if (changed.generic != asRead.generic)
            CatalogueSession::Refuse(QStringLiteral("The formulary read is another generic "
                                                    "name's; nothing was saved."));
        if (const QStringList problems = FormularyProblems(changed); !problems.isEmpty())
            CatalogueSession::Refuse(problems.join(QLatin1Char('\n')));
        // No other desktop changes the formulary between the check and the write.
        SqlDialect::LockAgainstWriters(connection, {QStringLiteral("inventory.tbFormulary"),
                                                    QStringLiteral("inventory.tbGenericCode"),
                                                    QStringLiteral("inventory.tbAlternative")});
        requireRegistered(connection, changed.generic, QStringLiteral("generic name"));
        for (const Alternative& alternative : changed.alternatives)
            requireRegistered(connection, alternative.generic, QStringLiteral("alternative"));
        const FormularyRecord stored = Formulary::Read(connection, changed.generic);
        if (!(stored == asRead)) {
            outcome.theirs = stored;
            outcome.who = Journal::LastChangeOf(connection, NodeType::Generic, changed.generic);
            return false;
        }
        Formulary::Write(connection, {{stored, changed}});
        outcome.saved = true;
        return true;
    });
    return outcome;
}

QHash<QString, QString> clsFormulary::Statuses()
{
    return m_session.Read(QStringLiteral("Pharvel.Statuses"),
                          [&] { return FormularyStore::Statuses(m_session.Connection()); });
}

QMap<QString, int> clsFormulary::StatusCounts(const QString& classificationKey)
{
    return m_session.Read(QStringLiteral("Pharvel.StatusCounts"), [&] {
        return FormularyStore::StatusCounts(m_session.Connection(), classificationKey);
    });
}

QList<ReferenceCodeStore::Carrier> clsFormulary::FindByCode(const QString& text)
{
    return m_session.Read(QStringLiteral("Pharvel.FindByCode"), [&] {
        return ReferenceCodeStore::Carrying(m_session.Connection(), text);
    });
}

std::optional<AtcIndexEntry> clsFormulary::AtcEntry(const QString& code)
{
    return m_session.Read(QStringLiteral("Pharvel.AtcEntry"),
                          [&] { return AtcIndexStore::Find(m_session.Connection(), code); });
}

} // namespace ClassPharvel
