// Appending a copy of a cached record to a list handed to the client.
#ifndef VELLUM_ORG_LISTCOPY_H
#define VELLUM_ORG_LISTCOPY_H

#include "libs/records/ListAppender.h"
#include "libs/records/RecordText.h"

// Copies `stored` whole over `fresh` (a record from the object factory), nulls its
// `next` and appends it; the list takes ownership. A null `fresh` (the factory could
// not make one) skips the record. Returns whether a record was appended.
template <class Record>
bool AppendCopy(ListAppender<Record>& list, Record* fresh, const Record& stored) {
    if (fresh == nullptr) return false;
    CopyRecordOut(fresh, stored);
    list.Append(fresh);
    return true;
}

#endif  // VELLUM_ORG_LISTCOPY_H
