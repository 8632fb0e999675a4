#pragma once

#include <QString>

// The German words of a connection to a server that failed on the way, for
// the messages of Database and of engineError (database.h).

// A statement the server did not answer within the answer limit.
QString noAnswerText(const QString& server);
// A connection that broke before the statement reached the server.
QString connectionLostText(const QString& server);
// A commit sent to the server whose answer never came: the server may have
// carried it out or not.
QString answerLostText(const QString& server);
