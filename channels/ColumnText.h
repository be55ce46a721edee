// Reading a text column of the current row, never keeping an earlier column's text.
#ifndef VELLUM_CHANNELS_COLUMNTEXT_H
#define VELLUM_CHANNELS_COLUMNTEXT_H

#include <string>

#include "libs/storage/DataStorage.h"

// Reads `column` of the storage's current row into `buffer` and returns it; "" when
// the column cannot be read. The buffer is emptied first: one reused across columns
// would otherwise keep the previous column's text on a failed read and carry it into
// the wrong field (a PRIVILEGE holding another column's "0" grants every privilege).
// REQUIRES: the instance lock held.
inline const std::string& ColumnText(CDataStorage& storage, int column, std::string& buffer) {
    buffer.clear();
    storage.ReadStringByIndex(column, buffer);
    return buffer;
}

#endif  // VELLUM_CHANNELS_COLUMNTEXT_H
