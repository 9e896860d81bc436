#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

// The commands that take a hospital's catalogue in and out and look after it: export (the
// catalogue files and FHIR R4), import, check, merge-generics, backup and restore.
namespace ExchangeCommands {

QList<QCommandLineOption> Options();
bool Handles(const QString& command);
// Runs the command; returns the exit status. Raises UsageError and PharvelError.
int Run(const QCommandLineParser& parser, const QStringList& arguments);

} // namespace ExchangeCommands
