// The crowd folders (in deposit order) and the crowd resources filed by folder id.
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call.
#ifndef VELLUM_ORG_CROWDDATA_H
#define VELLUM_ORG_CROWDDATA_H

#include <cstdint>
#include <map>
#include <vector>

#include "vellum/records.h"

class CrowdData {
public:
    void SetCrowdFolderList(const CROWD_FOLDER* list);
    void SetCrowdResList(const CROWD_RES* list, int folderId);
    bool GetCrowdFolderByID(int id, CROWD_FOLDER* out) const;
    bool GetCrowdResList(int folderId, CROWD_RES** head) const;
    bool GetCrowdFolderListByRes(int resType, int resId, CROWD_FOLDER** head) const;
    void Clear();

private:
    std::vector<CROWD_FOLDER> m_vecCrowdFolder;
    std::map<int32_t, std::vector<CROWD_RES>> m_mapCrowdRes;
};

#endif  // VELLUM_ORG_CROWDDATA_H
