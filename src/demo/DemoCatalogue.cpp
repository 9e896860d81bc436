#include "demo/DemoCatalogue.h"

#include "demo/CatalogueBuilder.h"
#include "platform/db/AtcCode.h"
#include "platform/db/AtcIndexStore.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"

#include <QStringList>

namespace DemoCatalogue {

namespace {

struct Therapy
{
    const char* path; // classification names from the top, separated by " > "
    const char* indication;
    const char* generics; // comma-separated
};

// Each line files its generic names under the last classification of its path.
const Therapy kTherapies[] = {
    {"Analgesics > Non-opioid analgesics", "Mild to moderate pain and fever.",
     "Paracetamol,Aspirin,Ibuprofen,Naproxen,Diclofenac,Ketorolac,Mefenamic "
     "acid,Celecoxib,Etoricoxib,Metamizole"},
    {"Analgesics > Opioid analgesics", "Moderate to severe pain.",
     "Morphine,Codeine,Tramadol,Fentanyl,Oxycodone,Hydromorphone,Pethidine,Buprenorphine,"
     "Tapentadol,Methadone"},
    {"Anti-infectives > Antibacterials > Penicillins",
     "Bacterial infections caused by susceptible organisms.",
     "Amoxicillin,Ampicillin,Benzylpenicillin,Cloxacillin,Piperacillin,Co-amoxiclav,"
     "Phenoxymethylpenicillin,Flucloxacillin"},
    {"Anti-infectives > Antibacterials > Cephalosporins",
     "Bacterial infections, surgical prophylaxis.",
     "Cefalexin,Cefazolin,Cefuroxime,Ceftriaxone,Cefotaxime,Ceftazidime,Cefepime,Cefixime"},
    {"Anti-infectives > Antibacterials > Macrolides", "Respiratory and atypical infections.",
     "Azithromycin,Clarithromycin,Erythromycin,Roxithromycin"},
    {"Anti-infectives > Antibacterials > Other antibacterials", "Serious bacterial infections.",
     "Vancomycin,Gentamicin,Amikacin,Ciprofloxacin,Levofloxacin,Metronidazole,Clindamycin,"
     "Doxycycline,Meropenem,Linezolid,Co-trimoxazole,Nitrofurantoin"},
    {"Anti-infectives > Antifungals", "Fungal infections.",
     "Fluconazole,Itraconazole,Voriconazole,Nystatin,Amphotericin B,Clotrimazole,Terbinafine"},
    {"Anti-infectives > Antivirals", "Viral infections.",
     "Aciclovir,Valaciclovir,Oseltamivir,Ganciclovir,Zidovudine,Tenofovir,Lamivudine"},
    {"Cardiovascular drugs > Antihypertensives", "Hypertension.",
     "Amlodipine,Nifedipine,Losartan,Valsartan,Enalapril,Lisinopril,Captopril,Hydralazine,"
     "Methyldopa,Telmisartan"},
    {"Cardiovascular drugs > Beta blockers", "Hypertension, angina, arrhythmia.",
     "Atenolol,Metoprolol,Bisoprolol,Carvedilol,Propranolol"},
    {"Cardiovascular drugs > Lipid-lowering drugs",
     "Hyperlipidaemia and cardiovascular risk reduction.",
     "Atorvastatin,Simvastatin,Rosuvastatin,Pravastatin,Fenofibrate,Ezetimibe"},
    {"Cardiovascular drugs > Antithrombotics", "Prevention and treatment of thrombosis.",
     "Heparin,Enoxaparin,Warfarin,Clopidogrel,Rivaroxaban,Apixaban,Dabigatran"},
    {"Gastrointestinal drugs", "Acid-related and bowel disorders.",
     "Omeprazole,Pantoprazole,Esomeprazole,Ranitidine,Famotidine,Metoclopramide,Domperidone,"
     "Ondansetron,Loperamide,Lactulose,Bisacodyl,Sucralfate"},
    {"Respiratory drugs", "Asthma and chronic obstructive pulmonary disease.",
     "Salbutamol,Ipratropium,Budesonide,Fluticasone,Montelukast,Theophylline,Tiotropium,"
     "Beclometasone"},
    {"Endocrine drugs > Antidiabetics", "Diabetes mellitus.",
     "Metformin,Gliclazide,Glibenclamide,Insulin glargine,Insulin aspart,Soluble "
     "insulin,Sitagliptin,Empagliflozin,Pioglitazone"},
    {"Endocrine drugs > Corticosteroids", "Inflammatory and allergic conditions.",
     "Prednisolone,Hydrocortisone,Dexamethasone,Methylprednisolone"},
    {"Endocrine drugs", "Thyroid disorders.", "Levothyroxine,Carbimazole,Propylthiouracil"},
    {"Central nervous system drugs > Antiepileptics", "Epilepsy and seizures.",
     "Phenytoin,Carbamazepine,Valproic acid,Levetiracetam,Lamotrigine,Phenobarbital,Clonazepam"},
    {"Central nervous system drugs > Psychotropics", "Psychiatric disorders.",
     "Haloperidol,Olanzapine,Risperidone,Quetiapine,Fluoxetine,Sertraline,Amitriptyline,Diazepam,"
     "Lorazepam,Lithium carbonate"},
};

// Generic names in the register that are filed under no classification.
const char* const kUnfiledGenerics[] = {"Chlorphenamine", "Loratadine",       "Cetirizine",
                                        "Folic acid",     "Ferrous sulfate",  "Vitamin B complex",
                                        "Zinc sulfate",   "Calcium carbonate"};

struct Form
{
    const char* name;        // appended to the generic name
    const char* description; // the pack
    const char* dosage;
    const char* administration;
    const char* preparation;
};

const Form kForms[] = {
    {"250 mg tablet", "Box of 100 tablets",
     "One to two tablets every 8 hours; adjust to renal function.",
     "By mouth, with water, after meals.", "Store below 30 \u00B0C in a dry place."},
    {"500 mg capsule", "Box of 50 capsules", "One capsule every 12 hours.",
     "By mouth; swallow whole.", "Keep in the original blister."},
    {"125 mg/5 mL suspension", "Bottle of 60 mL",
     "5 to 10 mL every 8 hours for children, by weight.", "By mouth; shake well before use.",
     "Reconstitute with 45 mL of water; keep refrigerated and "
     "discard after 7 days."},
    {"injection 1 g vial", "Vial of powder for injection", "1 g every 8 to 12 hours.",
     "Slow intravenous injection over 3 to 5 minutes, or infusion.",
     "Reconstitute with 10 mL water for injection; use within 24 hours."},
};

// A few decisions of a formulary committee, so that the screens have something to show. The
// codes are the demo's own, in an ATC group the WHO's index does not use, and the demo's small
// index names them; a hospital loads its licensed index with pharvel-admin atc import.
struct Decision
{
    const char* generic;
    const char* status;
    const char* restriction;
    const char* ven;
    const char* atcCode;
    const char* alternative; // a generic name of the demo, or nullptr
    const char* kind;
    const char* note;
};

const Decision kDecisions[] = {
    {"Paracetamol", "Y", nullptr, "E", "Z01AA01", nullptr, nullptr, nullptr},
    {"Ibuprofen", "R", "Short courses of up to 5 days; not in renal impairment.", "E", "Z01AB01",
     "Paracetamol", "P", "Try first for mild pain."},
    {"Ketorolac", "N", nullptr, "N", "Z01AB02", "Ibuprofen", "T", "Oral route where possible."},
    {"Morphine", "G", "Follow the hospital's opioid guideline; review daily.", "V", "Z02AA01",
     nullptr, nullptr, nullptr},
    {"Meropenem", "R", "On the advice of the microbiologist only.", "V", "Z03AA01", nullptr,
     nullptr, nullptr},
    {"Ranitidine", "N", nullptr, nullptr, nullptr, "Famotidine", "T", nullptr},
};

const AtcIndexEntry kDemoIndex[] = {
    {QStringLiteral("Z01"), QStringLiteral("demo analgesics"), {}, {}, {}, {}},
    {QStringLiteral("Z01AA01"),
     QStringLiteral("demo paracetamol"),
     QStringLiteral("3"),
     QStringLiteral("g"),
     QStringLiteral("O"),
     {}},
    {QStringLiteral("Z01AB01"),
     QStringLiteral("demo ibuprofen"),
     QStringLiteral("1.2"),
     QStringLiteral("g"),
     QStringLiteral("O"),
     {}},
    {QStringLiteral("Z02AA01"),
     QStringLiteral("demo morphine"),
     QStringLiteral("30"),
     QStringLiteral("mg"),
     QStringLiteral("P"),
     {}},
};

QString text(const char* utf8)
{
    return utf8 == nullptr ? QString() : QString::fromUtf8(utf8);
}

void addDecisions(CatalogueBuilder& builder, const QHash<QString, int>& codes)
{
    for (const Decision& decision : kDecisions) {
        FormularyRecord record{codes.value(QString::fromUtf8(decision.generic))};
        record.status = text(decision.status);
        record.restriction = text(decision.restriction);
        record.ven = text(decision.ven);
        record.decidedOn = QDate(2026, 2, 12);
        record.decisionRef = QStringLiteral("Drug and Therapeutics Committee, minute 2026/02");
        record.reviewOn = QDate(2027, 2, 12);
        if (decision.atcCode)
            record.codes << ReferenceCode{AtcCode::kSystem, text(decision.atcCode)};
        record.codes << ReferenceCode{
            QStringLiteral("HOSP"),
            QStringLiteral("RGH-%1").arg(record.generic, 4, 10, QLatin1Char('0'))};
        if (decision.alternative)
            record.alternatives << Alternative{codes.value(text(decision.alternative)),
                                               text(decision.kind), text(decision.note)};
        builder.AddFormulary(record);
    }
}

// An ATC code of the form the index uses, one for each synthetic generic name, in a group the
// WHO's index does not use: Z00AA00, Z00AA01, ... (2,600 under each of Z00A, Z00B, ...).
QString syntheticAtcCode(int generic)
{
    const auto letter = [](int n) { return QChar(QLatin1Char('A').unicode() + n % 26); };
    return QStringLiteral("Z%1%2%3%4")
        .arg(generic / 67600 % 100, 2, 10, QLatin1Char('0'))
        .arg(letter(generic / 2600))
        .arg(letter(generic / 100))
        .arg(generic % 100, 2, 10, QLatin1Char('0'));
}

QString Title(const QString& generic, const Form& form)
{
    return generic + QLatin1Char(' ') + QLatin1String(form.name);
}

} // namespace

void Load(SQLConnection& connection)
{
    ScopedTransaction transaction(connection);
    CatalogueBuilder builder(connection);
    builder.SetHospital(QStringLiteral("Riverside General Hospital"),
                        QStringLiteral("Riverside General Hospital Pharmacy"),
                        QStringLiteral("14 Meadow Lane, Eastbrook"));

    QHash<QString, QString> classificationKeys; // path -> node key
    int drugsMade = 0;
    int genericsMade = 0;
    QHash<QString, int> genericCodes; // name as the demo spells it -> code
    for (const Therapy& therapy : kTherapies) {
        const QStringList path = QString::fromUtf8(therapy.path).split(QStringLiteral(" > "));
        QString parentKey = kRootKey;
        QString pathSoFar;
        for (const QString& name : path) {
            pathSoFar += QStringLiteral(">") + name;
            auto found = classificationKeys.constFind(pathSoFar);
            if (found == classificationKeys.constEnd())
                found = classificationKeys.insert(pathSoFar,
                                                  builder.AddClassification(parentKey, name));
            parentKey = found.value();
        }
        const QStringList generics = QString::fromUtf8(therapy.generics).split(QLatin1Char(','));
        for (const QString& generic : generics) {
            const int code = builder.AddGeneric(generic.toUpper());
            genericCodes.insert(generic, code);
            const QString genericKey = builder.FileGeneric(parentKey, code);
            ++genericsMade;
            if (genericsMade % 5 == 0)
                builder.AddOtherDetails(
                    code, QStringLiteral("Formulary restriction: consultant approval needed.\n"
                                         "Monitor: renal and hepatic function.\n"
                                         "Counselling: complete the prescribed course."));
            for (int f = 0; f < 4; ++f) {
                const Form& form = kForms[(f + genericsMade) % 4];
                const int item = builder.AddDrug(
                    Title(generic, form), QString::fromUtf8(form.description),
                    QString::fromUtf8(therapy.indication), QString::fromUtf8(form.dosage),
                    QString::fromUtf8(form.administration), QString::fromUtf8(form.preparation));
                ++drugsMade;
                // Every fifteenth drug waits in the store, filed under no generic name.
                if (drugsMade % 15 != 0)
                    builder.FileDrug(genericKey, item);
            }
        }
    }
    for (const char* generic : kUnfiledGenerics) {
        builder.AddGeneric(QString::fromUtf8(generic).toUpper());
        const Form& form = kForms[0];
        builder.AddDrug(
            Title(QString::fromUtf8(generic), form), QString::fromUtf8(form.description),
            QStringLiteral("Supplement and symptomatic relief."), QString::fromUtf8(form.dosage),
            QString::fromUtf8(form.administration), QString::fromUtf8(form.preparation));
    }
    addDecisions(builder, genericCodes);
    builder.Finish();
    AtcIndexStore::Replace(connection,
                           QList<AtcIndexEntry>(std::cbegin(kDemoIndex), std::cend(kDemoIndex)));
    transaction.Commit();
}

void LoadSynthetic(SQLConnection& connection, int nodes, int drugs)
{
    const QString source = QStringLiteral("DemoCatalogue.LoadSynthetic");
    if (nodes < 10 || nodes > 32000)
        throw PharvelError(ErrorNumber::Overflow,
                           QStringLiteral("The number of nodes must lie between 10 and 32000."),
                           source);
    if (drugs < 0 || drugs > 20000 || drugs > nodes * 7 / 10)
        throw PharvelError(
            ErrorNumber::Overflow,
            QStringLiteral("The number of drugs must lie between 0 and 20000 and be at "
                           "most seven tenths of the nodes."),
            source);
    // Three levels of classifications (top, middle, leaf), generic names under the leaves, the
    // drugs spread over the generic names.
    const int rest = nodes - drugs;
    const int classifications = std::max(3, rest / 20);
    const int generics = rest - classifications;
    const int topCount = std::max(1, classifications / 7);

    ScopedTransaction transaction(connection);
    CatalogueBuilder builder(connection);
    builder.SetHospital(QStringLiteral("Synthetic Teaching Hospital"),
                        QStringLiteral("Synthetic Teaching Hospital Pharmacy"),
                        QStringLiteral("1 Benchmark Road"));
    QStringList tops;
    QStringList middles;
    QStringList leaves;
    for (int t = 0; t < topCount; ++t)
        tops << builder.AddClassification(kRootKey, QStringLiteral("CLASS %1").arg(t + 1));
    // Half of the rest in the middle level under the tops, the others below those.
    const int middleCount = std::max(1, (classifications - topCount) / 2);
    for (int i = 0; i < classifications - topCount; ++i) {
        const bool middle = i < middleCount;
        const QString key = builder.AddClassification(middle ? tops.at(i % tops.size())
                                                             : middles.at(i % middles.size()),
                                                      QStringLiteral("SUBCLASS %1").arg(i + 1));
        (middle ? middles : leaves) << key;
    }
    if (leaves.isEmpty())
        leaves = middles.isEmpty() ? tops : middles;
    QStringList genericKeys;
    for (int g = 0; g < generics; ++g) {
        const int code =
            builder.AddGeneric(QStringLiteral("GENERIC %1").arg(g + 1, 5, 10, QLatin1Char('0')));
        genericKeys << builder.FileGeneric(leaves.at(g % leaves.size()), code);
        // Every generic name has a status and an ATC code, as a committee's finished formulary
        // would.
        FormularyRecord decision{code};
        decision.status = FormularyStatus::All().at(g % 4);
        if (FormularyStatus::NeedsText(decision.status))
            decision.restriction = QStringLiteral("Synthetic restriction");
        decision.codes << ReferenceCode{AtcCode::kSystem, syntheticAtcCode(g)};
        builder.AddFormulary(decision);
    }
    for (int d = 0; d < drugs && !genericKeys.isEmpty(); ++d) {
        const int item = builder.AddDrug(
            QStringLiteral("DRUG %1 tablet").arg(d + 1, 5, 10, QLatin1Char('0')),
            QStringLiteral("Box of %1").arg(10 * (1 + d % 10)),
            QStringLiteral("Synthetic indication"), QStringLiteral("One tablet daily"),
            QStringLiteral("By mouth"), QStringLiteral("Store dry"));
        builder.FileDrug(genericKeys.at(d % genericKeys.size()), item);
    }
    builder.Finish();
    transaction.Commit();
}

} // namespace DemoCatalogue
