#pragma once

#include "database.h"

#include <firebird/Interface.h>

#include <vector>

// Where and how one column lies in the row buffer; read once per statement.
struct Column
{
    unsigned type = 0;
    unsigned nullOffset = 0;
    unsigned offset = 0;
    unsigned length = 0;
    int scale = 0;
    int subType = 0; // of a blob: 0 binary, 1 text
};

std::vector<Column> columnsOf(Firebird::IMessageMetadata* meta, Firebird::ThrowStatusWrapper* st);

// The value of one column in a fetched row buffer; a blob is read whole
// through the attachment in the transaction of the row: a binary one
// (sub type 0) as its bytes, any other as text in code page 1252.
FieldValue readField(Firebird::IUtil* util, const Column& column, Firebird::ThrowStatusWrapper* st,
                     const unsigned char* buffer, Firebird::IAttachment* attachment,
                     Firebird::ITransaction* transaction);
