// What the channel tables read from the module's settings. The owner hands one reader
// to the tables; a call that writes or reads camera rows asks once, at its start, and
// holds the instance lock to its end, so every row of one call sees the same answer
// and a changed settings file applies from the next call on.
#ifndef VELLUM_CHANNELS_CHANNELSETTINGS_H
#define VELLUM_CHANNELS_CHANNELSETTINGS_H

class ChannelSettings {
public:
    virtual ~ChannelSettings() = default;
    // TRANSPATH is stored enciphered.
    virtual bool TransPathEnciphered() const = 0;
    // A cell's cameras are listed by descending SEQINDEX (else ascending).
    virtual bool CamerasByDescendingSeqIndex() const = 0;
};

#endif  // VELLUM_CHANNELS_CHANNELSETTINGS_H
