#pragma once

#include <QString>

// Ids that pass between the catalogue's windows are 16-bit signed integers. These checks turn a
// caller's value into such an id or raise PharvelError (Overflow beyond -32768..32767,
// TypeMismatch for a fraction or a text that is no number); what names the value in the message
// ("the drug id"). The error carries no source: the member that checks adds its own.
namespace ClassPharvel::ShortId {

int FromInteger(int value, const QString& what);
int FromNumber(double value, const QString& what);
int FromText(const QString& text, const QString& what);

} // namespace ClassPharvel::ShortId
