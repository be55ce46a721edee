// Indexes of the channel tables, created right after the tables themselves.
#ifndef VELLUM_CHANNELS_CHANNELSCHEMA_H
#define VELLUM_CHANNELS_CHANNELSCHEMA_H

#include "libs/storage/DataStorage.h"

// One index per column set that a query selects or orders by, so that no look-up
// scans a whole table. REQUIRES: the four tables exist; the caller holds the lock.
void CreateChannelIndexes(CDataStorage& storage);

#endif  // VELLUM_CHANNELS_CHANNELSCHEMA_H
