#include "platform/report/ReportFileParser.h"

#include "platform/db/PharvelError.h"
#include "platform/report/ReportErrorNumber.h"
#include "platform/report/ReportIdentifier.h"
#include "platform/report/ReportTableLocation.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <map>

namespace {
const QString kSource = QStringLiteral("Application.OpenReport");

struct Value
{
    QString text;
    int line = 0;
};

struct Section
{
    QString name; // lower-cased
    int line = 0;
    std::map<QString, Value> values; // keys lower-cased
};

class Parser
{
public:
    Parser(const QString& text, const QString& fileName) : m_fileName(fileName) { Split(text); }

    ReportDefinition Run();

private:
    [[noreturn]] void Fail(int line, const QString& why) const
    {
        throw PharvelError(ErrorNumber::ReportFileInvalid,
                           line > 0
                               ? QStringLiteral("%1 line %2: %3").arg(m_fileName).arg(line).arg(why)
                               : QStringLiteral("%1: %2").arg(m_fileName, why),
                           kSource);
    }

    void Split(const QString& text);
    void CheckKeys(const Section& section, const QStringList& allowed) const;
    QString Text(const Section& s, const char* key, const QString& fallback = {}) const;
    QString Required(const Section& s, const char* key) const;
    QString Identifier(const Section& s, const char* key, bool required) const;
    bool Flag(const Section& s, const char* key, bool fallback) const;
    double Number(const Section& s, const char* key, double fallback, double low,
                  double high) const;
    ReportTemplate Template(const Section& s, const char* key) const;
    ReportCondition Condition(const Section& s, const char* key) const;
    int LineOf(const Section& s, const char* key) const;

    void ReadReport(const Section& s, ReportDefinition& d) const;
    void ReadTable(const Section& s, ReportDefinition& d) const;
    ReportTextLine ReadTextLine(const Section& s) const;
    void ReadDetail(const Section& s, ReportDefinition& d) const;
    ReportColumn ReadColumn(const Section& s) const;
    void GatherFields(ReportDefinition& d) const;

    QString m_fileName;
    std::vector<Section> m_sections;
    QStringList m_textNames;
};

void Parser::Split(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i + 1);
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                Fail(lineNumber, QStringLiteral("a section name must end with ']'."));
            m_sections.push_back(
                {line.mid(1, line.size() - 2).trimmed().toLower(), lineNumber, {}});
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            Fail(lineNumber, QStringLiteral("expected \"Key = value\" or \"[Section]\"."));
        if (m_sections.empty())
            Fail(lineNumber, QStringLiteral("a value stands before the first section."));
        const QString key = line.left(equals).trimmed().toLower();
        auto& values = m_sections.back().values;
        if (values.count(key) != 0)
            Fail(lineNumber, QStringLiteral("\"%1\" is given twice in this section.").arg(key));
        values[key] = Value{line.mid(equals + 1).trimmed(), lineNumber};
    }
}

void Parser::CheckKeys(const Section& section, const QStringList& allowed) const
{
    for (const auto& [key, value] : section.values) {
        if (!allowed.contains(key))
            Fail(value.line, QStringLiteral("[%1] has no key \"%2\".").arg(section.name, key));
    }
}

int Parser::LineOf(const Section& s, const char* key) const
{
    const auto found = s.values.find(QLatin1String(key));
    return found == s.values.end() ? s.line : found->second.line;
}

QString Parser::Text(const Section& s, const char* key, const QString& fallback) const
{
    const auto found = s.values.find(QLatin1String(key));
    return found == s.values.end() ? fallback : found->second.text;
}

QString Parser::Required(const Section& s, const char* key) const
{
    const QString value = Text(s, key);
    if (value.isEmpty())
        Fail(LineOf(s, key), QStringLiteral("[%1] needs \"%2\".").arg(s.name, QLatin1String(key)));
    return value;
}

QString Parser::Identifier(const Section& s, const char* key, bool required) const
{
    const QString value = required ? Required(s, key) : Text(s, key);
    if (!value.isEmpty() && !IsReportIdentifier(value))
        Fail(LineOf(s, key),
             QStringLiteral("\"%1\" is not a plain name (letters, digits and '_').").arg(value));
    return value;
}

bool Parser::Flag(const Section& s, const char* key, bool fallback) const
{
    const QString value = Text(s, key).toLower();
    if (value.isEmpty())
        return fallback;
    if (value == QLatin1String("yes") || value == QLatin1String("true"))
        return true;
    if (value == QLatin1String("no") || value == QLatin1String("false"))
        return false;
    Fail(LineOf(s, key), QStringLiteral("\"%1\" must be yes or no.").arg(QLatin1String(key)));
}

double Parser::Number(const Section& s, const char* key, double fallback, double low,
                      double high) const
{
    const QString value = Text(s, key);
    if (value.isEmpty())
        return fallback;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || number < low || number > high)
        Fail(LineOf(s, key), QStringLiteral("\"%1\" must be a number from %2 to %3.")
                                 .arg(QLatin1String(key))
                                 .arg(low)
                                 .arg(high));
    return number;
}

ReportTemplate Parser::Template(const Section& s, const char* key) const
{
    try {
        return ReportTemplate::Parse(Text(s, key), m_textNames);
    } catch (const PharvelError& error) {
        Fail(LineOf(s, key), error.Description());
    }
}

ReportCondition Parser::Condition(const Section& s, const char* key) const
{
    const QString text = Text(s, key);
    if (text.isEmpty())
        return {};
    try {
        return ReportCondition::Parse(text);
    } catch (const PharvelError& error) {
        Fail(LineOf(s, key), error.Description());
    }
}

void Parser::ReadReport(const Section& s, ReportDefinition& d) const
{
    CheckKeys(s, {QStringLiteral("name"), QStringLiteral("title"), QStringLiteral("pagesize"),
                  QStringLiteral("orientation"), QStringLiteral("margin")});
    d.name = Text(s, "name", d.name);
    d.title = Text(s, "title");
    const QString size = Text(s, "pagesize", QStringLiteral("A4")).toLower();
    if (size == QLatin1String("a4"))
        d.pageSize = QPageSize::A4;
    else if (size == QLatin1String("letter"))
        d.pageSize = QPageSize::Letter;
    else
        Fail(LineOf(s, "pagesize"), QStringLiteral("the page size must be A4 or Letter."));
    const QString orientation = Text(s, "orientation", QStringLiteral("portrait")).toLower();
    if (orientation == QLatin1String("portrait"))
        d.orientation = QPageLayout::Portrait;
    else if (orientation == QLatin1String("landscape"))
        d.orientation = QPageLayout::Landscape;
    else
        Fail(LineOf(s, "orientation"),
             QStringLiteral("the orientation must be Portrait or Landscape."));
    d.margin = Number(s, "margin", d.margin, 0, 50);
}

void Parser::ReadTable(const Section& s, ReportDefinition& d) const
{
    CheckKeys(s, {QStringLiteral("name"), QStringLiteral("location")});
    ReportTableDefinition table;
    table.name = Identifier(s, "name", true);
    table.location = Required(s, "location");
    try {
        ReportTableLocation::Parse(table.location);
    } catch (const PharvelError& error) {
        Fail(LineOf(s, "location"), error.Description());
    }
    for (const ReportTableDefinition& other : d.tables) {
        if (other.name.compare(table.name, Qt::CaseInsensitive) == 0)
            Fail(s.line, QStringLiteral("the table \"%1\" is named twice.").arg(table.name));
    }
    d.tables.push_back(table);
}

ReportTextLine Parser::ReadTextLine(const Section& s) const
{
    CheckKeys(s, {QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right"),
                  QStringLiteral("bold"), QStringLiteral("size")});
    ReportTextLine line;
    line.left = Template(s, "left");
    line.center = Template(s, "center");
    line.right = Template(s, "right");
    line.bold = Flag(s, "bold", false);
    line.pointSize = Number(s, "size", line.pointSize, 4, 72);
    return line;
}

void Parser::ReadDetail(const Section& s, ReportDefinition& d) const
{
    CheckKeys(s, {QStringLiteral("table"), QStringLiteral("sort"), QStringLiteral("level"),
                  QStringLiteral("indent"), QStringLiteral("where"), QStringLiteral("boldwhen"),
                  QStringLiteral("note"), QStringLiteral("notecaption"), QStringLiteral("headings"),
                  QStringLiteral("size")});
    ReportDetail& detail = d.detail;
    detail.table = Identifier(s, "table", true);
    const QStringList sort = Text(s, "sort").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!sort.isEmpty()) {
        detail.sortField = sort.at(0);
        const QString direction = sort.value(1).toLower();
        const bool directionOk =
            sort.size() == 1 || (sort.size() == 2 && (direction == QLatin1String("ascending") ||
                                                      direction == QLatin1String("descending")));
        if (!IsReportIdentifier(detail.sortField) || !directionOk)
            Fail(LineOf(s, "sort"),
                 QStringLiteral("the sort must be a field, optionally followed by ascending or "
                                "descending."));
        detail.sortDescending = direction == QLatin1String("descending");
    }
    detail.levelField = Identifier(s, "level", false);
    detail.indentPerLevel = Number(s, "indent", detail.indentPerLevel, 0, 50);
    detail.where = Condition(s, "where");
    detail.boldWhen = Condition(s, "boldwhen");
    detail.noteField = Identifier(s, "note", false);
    detail.noteCaption = Text(s, "notecaption", detail.noteField);
    detail.headings = Flag(s, "headings", detail.headings);
    detail.pointSize = Number(s, "size", detail.pointSize, 4, 72);
}

ReportColumn Parser::ReadColumn(const Section& s) const
{
    CheckKeys(s, {QStringLiteral("field"), QStringLiteral("caption"), QStringLiteral("width"),
                  QStringLiteral("align"), QStringLiteral("bold"), QStringLiteral("number"),
                  QStringLiteral("wrap")});
    ReportColumn column;
    column.field = Identifier(s, "field", true);
    column.caption = Text(s, "caption", column.field);
    column.width = Number(s, "width", column.width, 1, 1000);
    const QString align = Text(s, "align", QStringLiteral("left")).toLower();
    if (align == QLatin1String("left"))
        column.alignment = Qt::AlignLeft;
    else if (align == QLatin1String("center"))
        column.alignment = Qt::AlignHCenter;
    else if (align == QLatin1String("right"))
        column.alignment = Qt::AlignRight;
    else
        Fail(LineOf(s, "align"), QStringLiteral("the alignment must be Left, Center or Right."));
    column.bold = Flag(s, "bold", false);
    column.number = Flag(s, "number", false);
    column.wrap = Flag(s, "wrap", false);
    return column;
}

// Each table reads only the fields the report uses from it.
void Parser::GatherFields(ReportDefinition& d) const
{
    auto addField = [&](const QString& table, const QString& field) {
        for (ReportTableDefinition& t : d.tables) {
            if (t.name.compare(table, Qt::CaseInsensitive) == 0) {
                if (!t.fields.contains(field, Qt::CaseInsensitive))
                    t.fields << field;
                return true;
            }
        }
        return false;
    };
    const bool declared = std::any_of(d.tables.begin(), d.tables.end(), [&](const auto& t) {
        return t.name.compare(d.detail.table, Qt::CaseInsensitive) == 0;
    });
    if (!declared)
        Fail(0, QStringLiteral("the detail names the table \"%1\", which the file does not "
                               "declare.")
                    .arg(d.detail.table));
    for (const ReportColumn& column : d.columns)
        addField(d.detail.table, column.field);
    for (const QString& field : {d.detail.sortField, d.detail.levelField, d.detail.where.field,
                                 d.detail.boldWhen.field, d.detail.noteField}) {
        if (!field.isEmpty())
            addField(d.detail.table, field);
    }
    for (const auto* lines : {&d.pageHeader, &d.reportFooter}) {
        for (const ReportTextLine& line : *lines) {
            for (const ReportTemplate* part : {&line.left, &line.center, &line.right}) {
                for (const ReportTemplate::Part& p : part->Parts()) {
                    if (p.kind == ReportTemplate::Part::Kind::Field && !addField(p.table, p.text))
                        Fail(0, QStringLiteral("the text {%1.%2} names a table the file does "
                                               "not declare.")
                                    .arg(p.table, p.text));
                }
            }
        }
    }
}

ReportDefinition Parser::Run()
{
    ReportDefinition d;
    d.name = QFileInfo(m_fileName).completeBaseName();

    // Text properties first: every text line may name them.
    for (const Section& s : m_sections) {
        if (s.name != QLatin1String("text"))
            continue;
        CheckKeys(s, {QStringLiteral("name"), QStringLiteral("default")});
        const QString name = Identifier(s, "name", true);
        static const QStringList reserved{QStringLiteral("date"), QStringLiteral("page"),
                                          QStringLiteral("pages"), QStringLiteral("recordcount")};
        if (reserved.contains(name.toLower()) || m_textNames.contains(name, Qt::CaseInsensitive))
            Fail(s.line, QStringLiteral("the text property \"%1\" is named twice or takes a "
                                        "built-in name.")
                             .arg(name));
        m_textNames << name;
        d.textProperties.push_back({name, Text(s, "default")});
    }

    int reports = 0;
    int details = 0;
    for (const Section& s : m_sections) {
        if (s.name == QLatin1String("report")) {
            if (++reports > 1)
                Fail(s.line, QStringLiteral("there is more than one [Report] section."));
            ReadReport(s, d);
        } else if (s.name == QLatin1String("table")) {
            ReadTable(s, d);
        } else if (s.name == QLatin1String("pageheader")) {
            d.pageHeader.push_back(ReadTextLine(s));
        } else if (s.name == QLatin1String("detail")) {
            if (++details > 1)
                Fail(s.line, QStringLiteral("there is more than one [Detail] section."));
            ReadDetail(s, d);
        } else if (s.name == QLatin1String("column")) {
            if (!d.columns.empty() && d.columns.back().wrap)
                Fail(s.line, QStringLiteral("only the last column may wrap."));
            d.columns.push_back(ReadColumn(s));
        } else if (s.name == QLatin1String("reportfooter")) {
            d.reportFooter.push_back(ReadTextLine(s));
        } else if (s.name != QLatin1String("text")) {
            Fail(s.line, QStringLiteral("there is no section [%1].").arg(s.name));
        }
    }
    if (d.tables.empty())
        Fail(0, QStringLiteral("the report declares no [Table]."));
    if (details == 0)
        Fail(0, QStringLiteral("the report has no [Detail] section."));
    if (d.columns.empty())
        Fail(0, QStringLiteral("the report has no [Column]."));
    GatherFields(d);
    return d;
}
} // namespace

ReportDefinition ReportFileParser::Parse(const QString& text, const QString& fileName)
{
    return Parser(text, fileName).Run();
}

ReportDefinition ReportFileParser::ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PharvelError(
            ErrorNumber::ReportFileInvalid,
            QStringLiteral("The report file %1 cannot be opened: %2").arg(path, file.errorString()),
            kSource);
    return Parse(QString::fromUtf8(file.readAll()), QFileInfo(path).fileName());
}
