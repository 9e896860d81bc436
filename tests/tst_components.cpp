#include "platform/ComponentFactory.h"
#include "platform/FileSystemObject.h"
#include "platform/catalog/Pharvel.h"
#include "platform/user/clsCurrentUser.h"

#include <QTest>

// Creation of components by class name, and the file-system object's path helpers.
class tst_components : public QObject
{
    Q_OBJECT

private slots:
    void buildPath_data();
    void buildPath();
    void getBaseName_data();
    void getBaseName();
    void createsEachComponentByName();
    void unknownOrMistypedNamesAreRefused();
};

void tst_components::buildPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("joined");
    QTest::newRow("plain") << "/home/nurse"
                           << "My Documents"
                           << "/home/nurse/My Documents";
    QTest::newRow("trailing separator") << "/home/nurse/"
                                        << "My Documents"
                                        << "/home/nurse/My Documents";
    QTest::newRow("both separators") << "/home/nurse//"
                                     << "/x.xls"
                                     << "/home/nurse/x.xls";
    QTest::newRow("backslash folder") << "C:\\My Documents\\"
                                      << "a.xls"
                                      << "C:\\My Documents/a.xls";
    QTest::newRow("root") << "/"
                          << "a"
                          << "/a";
    QTest::newRow("no folder") << ""
                               << "a.xls"
                               << "a.xls";
    QTest::newRow("no name") << "/tmp"
                             << ""
                             << "/tmp";
}

void tst_components::buildPath()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, joined);
    Scripting::FileSystemObject fso;
    QCOMPARE(fso.BuildPath(path, name), joined);
}

void tst_components::getBaseName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("base");
    QTest::newRow("report") << "/opt/pharvel/PharvelStructure.rpt"
                            << "PharvelStructure";
    QTest::newRow("backslash") << "/opt/pharvel\\DrugsWithNoGeneric.rpt"
                               << "DrugsWithNoGeneric";
    QTest::newRow("two dots") << "a/Pharvel.2024.01.31.xls"
                              << "Pharvel.2024.01.31";
    QTest::newRow("no extension") << "/x/name"
                                  << "name";
    QTest::newRow("folder") << "/x/folder/"
                            << "folder";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_components::getBaseName()
{
    QFETCH(QString, path);
    QFETCH(QString, base);
    Scripting::FileSystemObject fso;
    QCOMPARE(fso.GetBaseName(path), base);
}

void tst_components::createsEachComponentByName()
{
    const std::unique_ptr<QObject> fso = CreateObject(QStringLiteral("Scripting.FileSystemObject"));
    QVERIFY(qobject_cast<Scripting::FileSystemObject*>(fso.get()));
    QVERIFY(
        CreateObjectAs<Scripting::FileSystemObject>(QStringLiteral("scripting.filesystemobject")));
    QVERIFY(CreateObjectAs<ClassPharvel::Pharvel>(QStringLiteral("ClassPharvel.Pharvel")));
    QVERIFY(CreateObjectAs<Corvida_User::clsCurrentUser>(
        QStringLiteral("Corvida_User.clsCurrentUser")));
    // Each call makes an object of its own: what is set on one is not seen on another.
    const std::unique_ptr<QObject> other =
        CreateObject(QStringLiteral("Scripting.FileSystemObject"));
    fso->setObjectName(QStringLiteral("first"));
    QCOMPARE(other->objectName(), QString());
    QCOMPARE(other->metaObject(), fso->metaObject());
}

void tst_components::unknownOrMistypedNamesAreRefused()
{
    for (const QString& name :
         {QStringLiteral("Scripting.Dictionary"), QString(), QStringLiteral("ClassPharvel")}) {
        try {
            CreateObject(name);
            QFAIL(qPrintable(QStringLiteral("created an object for \"%1\"").arg(name)));
        } catch (const PharvelError& error) {
            QCOMPARE(error.Number(), ErrorNumber::ComponentNotFound);
            QVERIFY(error.Description().startsWith(
                QStringLiteral("ActiveX component can't create object")));
        }
    }
    QVERIFY_THROWS_EXCEPTION(PharvelError, CreateObjectAs<ClassPharvel::Pharvel>(
                                               QStringLiteral("Scripting.FileSystemObject")));
}

QTEST_MAIN(tst_components)
#include "tst_components.moc"
