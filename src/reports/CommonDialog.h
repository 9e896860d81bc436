#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The common file dialog of a window (`dlgOpen`): a filter given as description and pattern
// pairs separated by bars ("Rich Text Format (*.rtf)|*.rtf"), shown as a save dialog. Every
// save dialog goes through here so that a test can see the filter and choose the file without a
// real dialog appearing.
class CommonDialog : public QObject
{
    Q_OBJECT

public:
    explicit CommonDialog(QWidget* parent);

    const QString& Filter() const { return m_filter; }
    void SetFilter(const QString& filter) { m_filter = filter; }
    // The file chosen at the last showing; empty when the dialog was closed without a choice.
    const QString& FileName() const { return m_fileName; }

    // Shows the save dialog over the window and returns the file chosen, or an empty text when
    // the dialog is closed without one. A name typed without extension gets the filter's.
    QString ShowSave();

    // Answers a save dialog in place of the real one: given the filter, returns the file chosen
    // or an empty text. An empty handler restores the real dialog. See ScopedSaveDialogHandler.
    using SaveHandler = std::function<QString(const QString& filter)>;
    static void SetSaveHandler(SaveHandler handler);

    // The filter as the toolkit's dialog takes it ("Rich Text Format (*.rtf)"), and the extension
    // of its first pattern ("rtf").
    static QStringList NameFilters(const QString& filter);
    static QString DefaultSuffix(const QString& filter);

private:
    QWidget* m_window;
    QString m_filter;
    QString m_fileName;
};

// Installs a save-dialog handler for the lifetime of a test scope and puts back the one that was
// there before.
class ScopedSaveDialogHandler
{
public:
    explicit ScopedSaveDialogHandler(CommonDialog::SaveHandler handler);
    ~ScopedSaveDialogHandler();

    ScopedSaveDialogHandler(const ScopedSaveDialogHandler&) = delete;
    ScopedSaveDialogHandler& operator=(const ScopedSaveDialogHandler&) = delete;

private:
    CommonDialog::SaveHandler m_previous;
};
