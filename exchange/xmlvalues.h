#pragma once

#include <QDateTime>
#include <QStringView>

#include <optional>

// The value forms of the XML training formats.
namespace exchange {

// An XML schema dateTime ("2024-05-01T10:00:00Z", with an offset such as
// "+02:00", with fractions of a second) as UTC; a time without zone counts
// as UTC. Invalid for anything else.
QDateTime parseXmlTime(QStringView text);

// A decimal number within [minimum, maximum]; nullopt for anything else.
std::optional<double> parseXmlNumber(QStringView text, double minimum, double maximum);

// A count such as a cadence or a power (0 to 100,000, rounded); nullopt
// for anything else.
std::optional<int> wholeNumber(QStringView text);

// A heart rate in beats per minute (1 to 255); nullopt for anything else.
std::optional<int> parseHeartRate(QStringView text);

} // namespace exchange
