#pragma once

#include <QString>

// Makes the run-wide components and logs the pharmacist in as the program does at start-up;
// throws std::runtime_error when the catalogue cannot be reached.
void BenchLogIn(const QString& target, const QString& userId, const QString& password);
