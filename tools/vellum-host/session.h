// The session vellum-host plays against one initialised instance: it deposits a whole
// site through IVellum, queries it the way the client does (cells, cameras by id, index
// code and matrix code, privileges, channels, storage, views, crowds), applies a burst
// of camera status changes and compares the rolled-up statistics with a recount. Every
// answer is checked against the site; every call is timed.
#ifndef VELLUM_TOOLS_HOST_SESSION_H
#define VELLUM_TOOLS_HOST_SESSION_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "measure.h"
#include "module_settings.h"
#include "progress.h"
#include "random.h"
#include "site_index.h"
#include "vellum/plugin.h"

// One top-level cell's statistics entry after the burst (rolled up) and after the
// recount; type-1 recounts add only type-1 children, so they are shown, not compared.
struct CellFigures {
    int32_t id = 0;
    int32_t type = 1;
    std::string name;
    int level = 0;
    SiteIndex::Count rolledUp;
    SiteIndex::Count recounted;
};

struct StatisticsFigures {
    uint64_t statusChanges = 0;  // changes sent in the burst
    uint64_t wentOnline = 0;
    uint64_t wentOffline = 0;
    uint64_t unchanged = 0;      // a change to the status the camera already had
    uint64_t camerasOnline = 0;  // after the burst
    uint64_t recountCalls = 0;   // one per type-2 cell without type-2 children
    uint64_t type2Cells = 0;
    uint64_t type2Equal = 0;                    // rolled-up counts equal to the recounted ones
    std::vector<std::string> firstDifferences;  // at most kDifferencesKept
    std::vector<CellFigures> topCells;          // roots and their type-1 children
    uint64_t topCellsOmitted = 0;
};

// Plays on the caller's thread, as the client's calls would; takes no lock of its own
// (the instance serialises its operations).
class Session {
public:
    static constexpr std::size_t kBatch = 5000;       // records per deposit call
    static constexpr std::size_t kSample = 20000;     // look-ups per kind, at most
    static constexpr std::size_t kStatusBatch = 500;  // changes per UpdateCameraStatus
    static constexpr std::size_t kDifferencesKept = 5;
    static constexpr std::size_t kTopCellsShown = 40;

    // All references must outlive the session. `seed` decides the samples and the burst.
    Session(IVellum& vellum, const InstanceFuncTable& tables, const SiteIndex& index,
            const ModuleSettings& settings, uint64_t seed, Progress& progress);

    // Plays every phase in order.
    void Run();

    const OpTable& Ops() const { return m_ops; }
    const CheckTable& Checks() const { return m_checks; }
    const StatisticsFigures& Statistics() const { return m_statistics; }
    bool Passed() const;

private:
    // session_deposit.cpp
    void Deposit();
    template <class Record, class Item, class Fill, class Call>
    void DepositInBatches(const char* operation, const std::vector<Item>& items, std::size_t batch,
                          Fill fill, Call call);
    void DepositStatistics();
    void DepositStorage();
    void DepositViews();
    void DepositCrowds();

    // session_queries.cpp
    void QueryCells();
    void QueryCameras();
    void QueryCameraLists(const std::vector<std::size_t>& sample);
    void QueryPrivileges(const std::vector<std::size_t>& sample);
    void QueryChannels();
    void QueryStorage();
    void QueryViewsAndCrowds();

    // session_statistics.cpp
    void CheckDepositedStatistics();
    void PlayStatusBurst();
    void CompareRollUpWithRecount();
    std::vector<SiteIndex::Count> ReadStatistics(const char* label, std::vector<char>* found);

    // Positions 0..count-1 when there are at most `limit`, else `limit` random ones.
    std::vector<std::size_t> Sample(std::size_t count, std::size_t limit);
    // The first field in which `record` differs from camera `position` (with its current
    // status), or empty when it matches.
    std::string CameraDifference(const CAMERA_INFO& record, std::size_t position) const;

    IVellum& m_vellum;
    const InstanceFuncTable& m_tables;
    const SiteIndex& m_index;
    const Site& m_site;
    const ModuleSettings m_settings;
    Random m_random;
    Progress& m_progress;
    std::vector<char> m_online;  // per camera position: its status as last sent
    OpTable m_ops;
    CheckTable m_checks;
    StatisticsFigures m_statistics;
};

#endif  // VELLUM_TOOLS_HOST_SESSION_H
