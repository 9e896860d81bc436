#include "BenchResults.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace BenchResults {

namespace {

struct Run
{
    QJsonObject sections;
    QString current = QStringLiteral("run");
};

Run& TheRun()
{
    static Run run;
    return run;
}

} // namespace

void Section(const QString& name)
{
    TheRun().current = name;
}

void Record(const QString& figure, double value)
{
    Run& run = TheRun();
    QJsonObject section = run.sections.value(run.current).toObject();
    section.insert(figure, value);
    run.sections.insert(run.current, section);
}

void Record(std::initializer_list<std::pair<const char*, double>> figures)
{
    for (const auto& [figure, value] : figures)
        Record(QString::fromLatin1(figure), value);
}

bool Write()
{
    const QString path = qEnvironmentVariable("PHARVEL_BENCH_RESULTS");
    if (path.isEmpty())
        return true;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(QJsonDocument(TheRun().sections).toJson()) < 0) {
        std::fprintf(stderr, "pharvel-bench: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("\nFigures written to %s\n", qPrintable(path));
    return true;
}

} // namespace BenchResults
