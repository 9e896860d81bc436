#include "platform/ComponentFactory.h"
#include "platform/FileSystemObject.h"
#include "platform/catalog/Pharvel.h"
#include "platform/user/clsCurrentUser.h"

#include <QTest>

class tst_Components : public QObject
{
    Q_OBJECT

private slots:
    void createObject_knownClasses_data();
    void createObject_knownClasses();
    void createObject_unknownNameRefused_data();
    void createObject_unknownNameRefused();
    void createObjectAs_wrongClassRefused();

    void buildPath_data();
    void buildPath();
    void getBaseName_data();
    void getBaseName();
};

void tst_Components::createObject_knownClasses_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("metaClass");

    QTest::newRow("catalogue") << QStringLiteral("ClassPharvel.Pharvel")
                               << QString::fromLatin1(
                                      ClassPharvel::Pharvel::staticMetaObject.className());
    QTest::newRow("current user")
        << QStringLiteral("Corvida_User.clsCurrentUser")
        << QString::fromLatin1(Corvida_User::clsCurrentUser::staticMetaObject.className());
    QTest::newRow("file system") << QStringLiteral("Scripting.FileSystemObject")
                                 << QString::fromLatin1(
                                        Scripting::FileSystemObject::staticMetaObject.className());
    QTest::newRow("letter case does not count")
        << QStringLiteral("scripting.filesystemobject")
        << QString::fromLatin1(Scripting::FileSystemObject::staticMetaObject.className());
}

void tst_Components::createObject_knownClasses()
{
    QFETCH(QString, className);
    QFETCH(QString, metaClass);
    const std::unique_ptr<QObject> object = CreateObject(className);
    QVERIFY(object);
    QCOMPARE(QString::fromLatin1(object->metaObject()->className()), metaClass);
    // Each call makes its own component.
    QVERIFY(CreateObject(className).get() != object.get());
}

void tst_Components::createObject_unknownNameRefused_data()
{
    QTest::addColumn<QString>("className");
    QTest::newRow("unknown") << QStringLiteral("Excel.Application");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank around a known name") << QStringLiteral(" ClassPharvel.Pharvel ");
    QTest::newRow("library name alone") << QStringLiteral("ClassPharvel");
}

void tst_Components::createObject_unknownNameRefused()
{
    QFETCH(QString, className);
    try {
        CreateObject(className);
        QFAIL("an unknown class name made a component");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::ComponentNotFound);
        QVERIFY2(
            error.Description().startsWith(QStringLiteral("ActiveX component can't create object")),
            qPrintable(error.Description()));
        QVERIFY(error.Description().contains(className));
        QCOMPARE(error.Source(), QStringLiteral("CreateObject"));
    }
}

void tst_Components::createObjectAs_wrongClassRefused()
{
    const auto files =
        CreateObjectAs<Scripting::FileSystemObject>(QStringLiteral("Scripting.FileSystemObject"));
    QVERIFY(files);
    try {
        CreateObjectAs<Scripting::FileSystemObject>(QStringLiteral("ClassPharvel.Pharvel"));
        QFAIL("a catalogue component passed for a file-system object");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::ComponentNotFound);
    }
}

void tst_Components::buildPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("joined");

    QTest::newRow("plain") << QStringLiteral("/home/ann") << QStringLiteral("My Documents")
                           << QStringLiteral("/home/ann/My Documents");
    QTest::newRow("trailing separator") << QStringLiteral("/home/ann/") << QStringLiteral("a.xls")
                                        << QStringLiteral("/home/ann/a.xls");
    QTest::newRow("separators on both sides")
        << QStringLiteral("/home/ann//") << QStringLiteral("/a.xls")
        << QStringLiteral("/home/ann/a.xls");
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("a.xls")
                          << QStringLiteral("/a.xls");
    QTest::newRow("backslash folder")
        << QStringLiteral("C:\\My Documents") << QStringLiteral("PharvelStructure.2024.01.31.xls")
        << QStringLiteral("C:\\My Documents\\PharvelStructure.2024.01.31.xls");
    QTest::newRow("backslash drive root")
        << QStringLiteral("C:\\") << QStringLiteral("My Documents")
        << QStringLiteral("C:\\My Documents");
    QTest::newRow("mixed separators") << QStringLiteral("C:\\Users/ann") << QStringLiteral("x")
                                      << QStringLiteral("C:\\Users/ann/x");
    QTest::newRow("empty path") << QString() << QStringLiteral("a.xls") << QStringLiteral("a.xls");
    QTest::newRow("empty name") << QStringLiteral("/home/ann") << QString()
                                << QStringLiteral("/home/ann");
}

void tst_Components::buildPath()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, joined);
    QCOMPARE(Scripting::FileSystemObject().BuildPath(path, name), joined);
}

void tst_Components::getBaseName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("baseName");

    QTest::newRow("backslashes") << QStringLiteral("C:\\rep\\PharvelStructure.rpt")
                                 << QStringLiteral("PharvelStructure");
    QTest::newRow("slashes") << QStringLiteral("/opt/pharvel/DrugsWithNoGeneric.rpt")
                             << QStringLiteral("DrugsWithNoGeneric");
    QTest::newRow("leading backslash alone")
        << QStringLiteral("\\PharvelReportWithOtherDetails.rpt")
        << QStringLiteral("PharvelReportWithOtherDetails");
    QTest::newRow("no folder") << QStringLiteral("PharvelStructure.rpt")
                               << QStringLiteral("PharvelStructure");
    QTest::newRow("no extension") << QStringLiteral("/rep/PharvelStructure")
                                  << QStringLiteral("PharvelStructure");
    QTest::newRow("only the last extension")
        << QStringLiteral("/rep/archive.2024.01.31.xls") << QStringLiteral("archive.2024.01.31");
    QTest::newRow("dot file") << QStringLiteral("/rep/.profile") << QStringLiteral(".profile");
    QTest::newRow("dot in folder only")
        << QStringLiteral("/rep.old/report") << QStringLiteral("report");
    QTest::newRow("trailing separator")
        << QStringLiteral("/rep/folder/") << QStringLiteral("folder");
    QTest::newRow("empty") << QString() << QString();
}

void tst_Components::getBaseName()
{
    QFETCH(QString, path);
    QFETCH(QString, baseName);
    QCOMPARE(Scripting::FileSystemObject().GetBaseName(path), baseName);
}

QTEST_GUILESS_MAIN(tst_Components)
#include "tst_components.moc"
