// pharvel-admin: the administrator's tool. Creates and upgrades catalogue databases, keeps the
// accounts, sets the hospital header and the base URL of its FHIR names, loads the demo or a
// generated catalogue and the hospital's ATC index, and exports the catalogue.

#include "AdminCommon.h"
#include "AtcCommand.h"
#include "ExchangeCommands.h"
#include "HospitalCommand.h"
#include "JournalCommand.h"
#include "PasswordPrompt.h"
#include "demo/DemoCatalogue.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/Schema.h"
#include "platform/user/AccountStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <iostream>

namespace {

const char* const kUsage = R"(usage:
  pharvel-admin create <server>
  pharvel-admin user add <server> <userid> --initials XX [--rights BB] [--dept PH]
  pharvel-admin user remove <server> <userid>
  pharvel-admin user list <server>
  pharvel-admin hospital <server> [--client NAME --company NAME --address LINE] [--fhir-base URL]
  pharvel-admin demo <server>
  pharvel-admin synthetic <server> [--nodes N] [--drugs M]
  pharvel-admin export <server> [<folder>] [--fhir FILE] [--ndjson FOLDER]
  pharvel-admin import <server> <folder> [--dry-run] [--prune]
  pharvel-admin check <server> [--csv]
  pharvel-admin merge-generics <server> <keep code> <drop code>
  pharvel-admin backup <folder> <file>
  pharvel-admin restore <folder> <file>
  pharvel-admin journal <server> [--since DATE] [--until DATE] [--user ID] [--entry NAME] [--csv]
  pharvel-admin journal prune <server> --before DATE
  pharvel-admin atc import <server> <file>
<server> is a folder for the embedded database or a postgresql:// address.
Passwords are read from the terminal, or from standard input when it is not one.
)";

std::unique_ptr<SQLConnection> openCreated(const QString& server)
{
    auto connection = SQLConnection::Open(server, true);
    // A newer database is not made older.
    if (Schema::CurrentVersion(*connection) > Schema::LatestVersion(*connection))
        Schema::RequireLatest(*connection, QStringLiteral("pharvel-admin"));
    const QList<int> applied = Schema::Migrate(*connection);
    if (!applied.isEmpty()) {
        out(QStringLiteral("schema at version %1").arg(applied.last()));
        // The server's roles have rights on the tables that existed when they were made.
        if (const int renewed = AccountStore::RenewRights(*connection); renewed > 0)
            out(QStringLiteral("rights renewed for %1 accounts").arg(renewed));
    }
    return connection;
}

bool catalogueIsEmpty(SQLConnection& connection)
{
    return connection.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel")).toInt() <=
               1 &&
           connection.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbinvmaster"))
                   .toInt() == 0;
}

// A demo account whose password is its name. Roles belong to the whole server, so a second
// demo catalogue on one server takes the roles the first one made. Returns whether it did.
bool addDemoAccount(SQLConnection& connection, const QString& userId, const QString& initials,
                    const QString& rights)
{
    if (AccountStore::ServerRoleExists(connection, userId)) {
        AccountStore::AddAccountForRole(connection, userId, initials, rights,
                                        AccountStore::kPharmacyDeptCode);
        return true;
    }
    AccountStore::AddAccount(connection, userId, userId, initials, rights,
                             AccountStore::kPharmacyDeptCode);
    return false;
}

int number(const QCommandLineParser& parser, const QString& option, int fallback)
{
    if (!parser.isSet(option))
        return fallback;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok)
        throw UsageError{QStringLiteral("--%1 takes a whole number").arg(option)};
    return value;
}

void userCommand(const QCommandLineParser& parser, const QStringList& arguments)
{
    if (arguments.size() < 3)
        throw UsageError{QStringLiteral("user takes add, remove or list and a server")};
    const QString& verb = arguments.at(1);
    const QString& server = arguments.at(2);
    if (verb == QLatin1String("list")) {
        requireArguments(arguments, 3);
        for (const UserProfile& account : AccountStore::ListAccounts(*openExisting(server)))
            out(QStringLiteral("%1\t%2\t%3\t%4")
                    .arg(account.userId, account.initial,
                         account.userRights.isEmpty() ? QStringLiteral("-") : account.userRights,
                         account.deptCode));
        return;
    }
    requireArguments(arguments, 4);
    const QString& userId = arguments.at(3);
    if (verb == QLatin1String("add")) {
        if (!parser.isSet(QStringLiteral("initials")))
            throw UsageError{QStringLiteral("user add needs --initials")};
        auto connection = openExisting(server);
        const QString password = ReadPassword(QStringLiteral("Password for %1: ").arg(userId));
        AccountStore::AddAccount(
            *connection, userId, password, parser.value(QStringLiteral("initials")),
            parser.isSet(QStringLiteral("rights")) ? parser.value(QStringLiteral("rights"))
                                                   : QStringLiteral(""),
            parser.isSet(QStringLiteral("dept")) ? parser.value(QStringLiteral("dept"))
                                                 : QString(AccountStore::kPharmacyDeptCode));
        out(QStringLiteral("account %1 added").arg(userId));
    } else if (verb == QLatin1String("remove")) {
        switch (AccountStore::RemoveAccount(*openExisting(server), userId)) {
        case AccountStore::Removal::NotFound:
            throw UsageError{QStringLiteral("there is no account %1").arg(userId)};
        case AccountStore::Removal::Removed:
            out(QStringLiteral("account %1 removed").arg(userId));
            break;
        case AccountStore::Removal::RemovedRoleKept:
            out(QStringLiteral("account %1 removed; its server role serves other databases and "
                               "was kept")
                    .arg(userId));
            break;
        }
    } else {
        throw UsageError{QStringLiteral("unknown user command %1").arg(verb)};
    }
}

int run(const QCommandLineParser& parser)
{
    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        throw UsageError{QStringLiteral("no command given")};
    const QString& command = arguments.first();
    if (command == QLatin1String("user")) {
        userCommand(parser, arguments);
        return 0;
    }
    if (ExchangeCommands::Handles(command))
        return ExchangeCommands::Run(parser, arguments);
    if (command == QLatin1String("atc")) {
        if (arguments.size() != 4 || arguments.at(1) != QLatin1String("import"))
            throw UsageError{QStringLiteral("atc takes import, a server and a file")};
        return AtcCommand::Import(*openExisting(arguments.at(2)), arguments.at(3));
    }
    if (command == QLatin1String("journal") && arguments.size() == 3 &&
        arguments.at(1) == QLatin1String("prune")) {
        JournalCommand::Prune(*openExisting(arguments.at(2)), parser);
        return 0;
    }
    requireArguments(arguments, 2);
    const QString& server = arguments.at(1);
    if (command == QLatin1String("create")) {
        openCreated(server);
        out(QStringLiteral("database ready: %1").arg(server));
    } else if (command == QLatin1String("hospital")) {
        HospitalCommand::Run(*openExisting(server), parser);
    } else if (command == QLatin1String("demo")) {
        auto connection = openCreated(server);
        if (!catalogueIsEmpty(*connection))
            throw UsageError{
                QStringLiteral("the catalogue is not empty; the demo is loaded only into "
                               "an empty one")};
        DemoCatalogue::Load(*connection);
        bool rolesKept = addDemoAccount(*connection, QStringLiteral("pharmacist"),
                                        QStringLiteral("PH1"), QStringLiteral("AA"));
        rolesKept = addDemoAccount(*connection, QStringLiteral("viewer"), QStringLiteral("VW"),
                                   QString(AccountStore::kViewOnlyRights)) ||
                    rolesKept;
        out(QStringLiteral(
            "demo catalogue loaded: accounts pharmacist/pharmacist and viewer/viewer"));
        if (rolesKept)
            out(QStringLiteral("the server had roles of these names already (another demo "
                               "catalogue's): they serve this one too and keep the passwords "
                               "they have"));
    } else if (command == QLatin1String("journal")) {
        JournalCommand::List(*openForReading(server), parser);
    } else if (command == QLatin1String("synthetic")) {
        // Like the demo, into a folder or database that holds none yet.
        auto connection = openCreated(server);
        if (!catalogueIsEmpty(*connection))
            throw UsageError{QStringLiteral("the catalogue is not empty")};
        const int nodes = number(parser, QStringLiteral("nodes"), 32000);
        DemoCatalogue::LoadSynthetic(
            *connection, nodes,
            number(parser, QStringLiteral("drugs"), std::min(20000, nodes * 5 / 8)));
        out(QStringLiteral("synthetic catalogue loaded"));
    } else {
        throw UsageError{QStringLiteral("unknown command %1").arg(command)};
    }
    return 0;
}

} // namespace

namespace {

// After a failed statement inside a transaction, PostgreSQL's driver warns for every prepared
// statement it cannot free until the rollback ("Unable to free statement: ERROR: current
// transaction is aborted..."). The failure itself is said once, as the command's error.
QtMessageHandler g_defaultHandler = nullptr;

void quietAfterFailure(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("Unable to free statement")))
        return;
    g_defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char* argv[])
{
    g_defaultHandler = qInstallMessageHandler(quietAfterFailure);
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const auto option = [](const char* name, const char* valueName) {
        return QCommandLineOption(QString::fromLatin1(name), QString(),
                                  QString::fromLatin1(valueName));
    };
    parser.addOptions({option("initials", "XX"), option("rights", "CODE"), option("dept", "CODE"),
                       option("nodes", "N"), option("drugs", "M"), option("since", "DATE"),
                       option("until", "DATE"), option("user", "ID"), option("entry", "NAME"),
                       option("before", "DATE"), QCommandLineOption(QStringLiteral("csv"))});
    parser.addOptions(ExchangeCommands::Options());
    parser.addOptions(HospitalCommand::Options());
    parser.addHelpOption();
    if (!parser.parse(application.arguments())) {
        std::cerr << "pharvel-admin: " << parser.errorText().toStdString() << '\n' << kUsage;
        return 2;
    }
    try {
        return run(parser);
    } catch (const UsageError& error) {
        std::cerr << "pharvel-admin: " << error.text.toStdString() << '\n' << kUsage;
        return 2;
    } catch (const JournalCommand::BadOption& error) {
        std::cerr << "pharvel-admin: " << error.text.toStdString() << '\n' << kUsage;
        return 2;
    } catch (const PharvelError& error) {
        std::cerr << "pharvel-admin: " << error.Description().toStdString() << '\n';
        return 1;
    }
}
