// Links factory-made records into a client's list head in result order.
#ifndef VELLUM_LIBS_RECORDS_LISTAPPENDER_H
#define VELLUM_LIBS_RECORDS_LISTAPPENDER_H

template <class Record>
class ListAppender {
public:
    // The head should be null on entry. If the caller left a list there, new records
    // go behind its tail, so nothing of it is lost or overwritten.
    explicit ListAppender(Record** head) : m_head(head) {
        for (Record* r = *head; r != nullptr; r = r->next) m_last = r;
    }

    // Takes ownership of `record` into the list; sets its next to null.
    void Append(Record* record) {
        record->next = nullptr;
        if (m_last == nullptr)
            *m_head = record;
        else
            m_last->next = record;
        m_last = record;
    }

    bool HasRecords() const { return *m_head != nullptr; }

private:
    Record** m_head;
    Record* m_last = nullptr;
};

#endif  // VELLUM_LIBS_RECORDS_LISTAPPENDER_H
