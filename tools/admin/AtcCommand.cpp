#include "AtcCommand.h"

#include "AdminCommon.h"
#include "platform/exchange/AtcImport.h"

namespace AtcCommand {

namespace {
QString usedBy(const AtcImport::Difference& difference)
{
    return difference.genericNames.isEmpty()
               ? QStringLiteral("used by no generic name")
               : QStringLiteral("used by ") + difference.genericNames.join(QStringLiteral(", "));
}
} // namespace

int Import(SQLConnection& connection, const QString& file)
{
    const AtcImport::Result result = AtcImport::Run(connection, file);
    if (!result.faults.isEmpty()) {
        for (const ImportFiles::Fault& fault : result.faults)
            err(fault.Describe());
        err(QStringLiteral("%1 bad rows; nothing was written").arg(result.faults.size()));
        return 1;
    }
    for (const AtcImport::Difference& gone : result.gone)
        out(QStringLiteral("gone: %1 \"%2\", %3").arg(gone.code, gone.oldName, usedBy(gone)));
    for (const AtcImport::Difference& renamed : result.renamed)
        out(QStringLiteral("renamed: %1 \"%2\" is now \"%3\", %4")
                .arg(renamed.code, renamed.oldName, renamed.newName, usedBy(renamed)));
    out(QStringLiteral("ATC index loaded: %1 codes, %2 gone, %3 renamed")
            .arg(result.entries)
            .arg(result.gone.size())
            .arg(result.renamed.size()));
    return 0;
}

} // namespace AtcCommand
