#pragma once

#include "platform/db/CatalogueTypes.h"

#include <QHash>
#include <QWidget>
#include <optional>

class QGridLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class SQLConnection;

namespace ClassPharvel {
struct EntryOutline;
}

// The main window's right pane: what the catalogue holds on the tree's selected entry, to look
// at, over the background picture. A generic name shows its place, its formulary (status with
// colour and word, restriction, dates, VEN, reference codes with their index names,
// alternatives), its drugs' count and its other details; a drug its medicine details and its
// generic name's status; a classification how many generic names it holds of each status. The
// root, no selection and an entry the catalogue no longer has show nothing, so the picture shows.
//
// Each entry is read afresh when it is shown, on the logged-in user's connection; the pane never
// reads for the tree's loads. "Formulary…" only asks, through FormularyRequested, for the editor
// of the shown generic name; it is offered only to a user who may change the catalogue.
class FormularyPane : public QWidget
{
    Q_OBJECT

public:
    explicit FormularyPane(QWidget* parent = nullptr);
    ~FormularyPane() override;

    // Shows the entry of the node with this key (nothing for the root or an empty key).
    void ShowEntry(const QString& nodeKey);
    // ShowEntry once the event being handled is done: a selection that moves several times
    // within one event (a walk down the tree) is read once, where it ends.
    void ShowEntryLater(const QString& nodeKey);
    // Reads the shown entry again, as after its formulary was saved.
    void Refresh();
    // The key of the entry shown, empty when the pane shows nothing.
    const QString& ShownKey() const { return m_shownKey; }

    QLabel* lblKind;
    QLabel* lblName;
    QLabel* lblPath;
    QLabel* lblStatus;
    QLabel* lblRestriction;
    QLabel* lblDecided;
    QLabel* lblReference;
    QLabel* lblReview;
    QLabel* lblVen;
    QLabel* lblCodes;
    QLabel* lblAlternatives;
    QLabel* lblDrugs;
    QLabel* lblOtherDetails;
    QLabel* lblGeneric;
    QLabel* lblIndication;
    QLabel* lblDosage;
    QLabel* lblAdministration;
    QLabel* lblPreparation;
    QLabel* lblCounts;
    QPushButton* cmdFormulary;

signals:
    // "Formulary…" pressed on the generic name shown.
    void FormularyRequested(CatalogueId::Generic generic);
    // One of the shown generic name's alternatives was clicked.
    void AlternativeChosen(CatalogueId::Generic generic);
    // A generic name's status as just read, so that its tree node's mark can follow it.
    void StatusRead(const QString& nodeKey, const QString& status);

private:
    QLabel* AddRow(const QString& caption);
    void ShowGeneric(const ClassPharvel::EntryOutline& entry);
    void ShowDrug(const ClassPharvel::EntryOutline& entry);
    void ShowClassification(const ClassPharvel::EntryOutline& entry);
    void ShowText(QLabel* row, const QString& text);
    void ShowRow(QWidget* field, bool shown);
    void ShowNothing();

    QScrollArea* m_scroll;
    QGridLayout* m_fields;
    // Each row's value and its caption, shown and hidden together.
    QHash<QWidget*, QLabel*> m_captions;
    QString m_shownKey;
    CatalogueId::Generic m_generic = 0;
    QString m_laterKey;
    bool m_laterQueued = false;
};
