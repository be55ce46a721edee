// Host records: the plain fixed-size structs that cross the module boundary.
// The client shares these layouts byte for byte; they never change. Every list is
// singly linked through the trailing `next`, and a null `next` ends it.
#ifndef VELLUM_RECORDS_H
#define VELLUM_RECORDS_H

#include <cstddef>
#include <cstdint>

struct CELL_INFO {
    int32_t id;
    int32_t parentId;     // 0: none
    char indexCode[64];   // the cell's key
    char name[132];
    int32_t sortOrder;    // sibling order, lower first
    int32_t cellType;     // 1 main tree, 2 hangs below type 1
    int32_t ownerId;      // type 2 with parentId 0: the type-1 cell it stands under
    int32_t reserved;
    CELL_INFO* next;
};

struct CAMERA_INFO {
    int32_t ID;
    int32_t DEVID;
    int32_t CELLID;
    int32_t CELLTYPE;
    int32_t CHANNELNO;
    char INDEXCODE[64];
    char CAMNAME[260];    // host code page
    int32_t CAMTYPE;
    char MATRIXCODE[64];  // decimal text
    int32_t SEQINDEX;
    bool STATUS;          // online
    int32_t CASCADID;
    char RECLOC[128];
    char PRIVILEGE[64];
    char DEVTAG[128];
    int32_t VRMID;
    int32_t VTDUID;
    int32_t VAGID;
    char RECGUID[256];
    char MULTIIP[128];
    char TRANSPATH[128];
    int32_t MOD;
    int32_t TRANSCNT;
    CAMERA_INFO* next;
};

struct CAMERA_STATUS {
    int32_t ID;
    int32_t STATUS;  // non-zero: online
    CAMERA_STATUS* next;
};

struct USER_ORG {
    int32_t orgId;
    int32_t cameraCount;
    int32_t onlineCount;
    unsigned char orgData[120];
    int32_t listKey;
    unsigned char extraData[8];
    USER_ORG* next;
};

struct DEVICE_INFO {
    int32_t ID;
    char DEVNAME[260];  // host code page
    char INDEXCODE[64];
    char IP[64];
    int32_t PORT;
    char USERNAME[130];
    char PASSWORD[256];
    int32_t DEVTYPE;
    int32_t DOMAINID;
    DEVICE_INFO* next;
};

struct IO_INFO {
    int32_t ID;
    int32_t DEVID;
    int32_t CELLID;
    int32_t IOTYPE;  // only 0 is ever answered
    char INDEXCODE[64];
    char IONAME[260];  // host code page
    IO_INFO* next;
};

struct TALK_CHANNEL {
    int32_t ID;
    int32_t CHANNELNO;
    int32_t DEVID;
    int32_t CELLID;
    char INDEXCODE[64];
    char TALKNAME[260];  // host code page
    TALK_CHANNEL* next;
};

struct STORE_FOLDER {
    int32_t id;
    int32_t parentId;
    int32_t sortIndex;
    char name[260];
    STORE_FOLDER* next;
};

struct STORE_RES {
    int32_t id;
    int32_t folderId;
    int32_t resType;
    int32_t resId;
    int32_t sortIndex;
    char indexCode[324];  // index code at the start; the rest is carried unread
    STORE_RES* next;
};

struct CUSTOM_VIEW {
    unsigned char viewData[264];
    CUSTOM_VIEW* next;
};

struct CUSTOM_VIEW_ORG {
    int32_t id;
    int32_t ownerId;
    unsigned char nodeData[264];
    int32_t sortIndex;
    CUSTOM_VIEW_ORG* next;
};

struct CUSTOM_VIEW_RES {
    int32_t id;
    int32_t ownerId;
    int32_t resId;
    unsigned char resData[264];
    CUSTOM_VIEW_RES* next;
};

struct CROWD_FOLDER {
    int32_t id;
    char name[260];
    CROWD_FOLDER* next;
};

struct CROWD_RES {
    int32_t resId;
    int32_t resType;
    char name[260];
    CROWD_RES* next;
};

struct KEYED_INFO {
    int32_t key;
    unsigned char payload[144];
    KEYED_INFO* next;
};

// Layout checks for the pointer width being built: {size, offset of next}.
#if UINTPTR_MAX == 0xFFFFFFFFu
#define VELLUM_LAYOUT(T, size32, next32, size64, next64) \
    static_assert(sizeof(T) == (size32) && offsetof(T, next) == (next32), #T " layout")
#else
#define VELLUM_LAYOUT(T, size32, next32, size64, next64) \
    static_assert(sizeof(T) == (size64) && offsetof(T, next) == (next64), #T " layout")
#endif
VELLUM_LAYOUT(CELL_INFO, 224, 220, 232, 224);
VELLUM_LAYOUT(CAMERA_INFO, 1280, 1276, 1288, 1280);
VELLUM_LAYOUT(CAMERA_STATUS, 12, 8, 16, 8);
VELLUM_LAYOUT(USER_ORG, 148, 144, 152, 144);
VELLUM_LAYOUT(DEVICE_INFO, 796, 792, 800, 792);
VELLUM_LAYOUT(IO_INFO, 344, 340, 352, 344);
VELLUM_LAYOUT(TALK_CHANNEL, 344, 340, 352, 344);
VELLUM_LAYOUT(STORE_FOLDER, 276, 272, 280, 272);
VELLUM_LAYOUT(STORE_RES, 348, 344, 352, 344);
VELLUM_LAYOUT(CUSTOM_VIEW, 268, 264, 272, 264);
VELLUM_LAYOUT(CUSTOM_VIEW_ORG, 280, 276, 288, 280);
VELLUM_LAYOUT(CUSTOM_VIEW_RES, 280, 276, 288, 280);
VELLUM_LAYOUT(CROWD_FOLDER, 268, 264, 272, 264);
VELLUM_LAYOUT(CROWD_RES, 272, 268, 280, 272);
VELLUM_LAYOUT(KEYED_INFO, 152, 148, 160, 152);
#undef VELLUM_LAYOUT

// Pairs that share one list-freeing function must agree in size and in where next lies.
#define VELLUM_SAME_SHAPE(A, B)                                                        \
    static_assert(sizeof(A) == sizeof(B) && offsetof(A, next) == offsetof(B, next), \
                  #A " and " #B " share a list-freeing function")
VELLUM_SAME_SHAPE(IO_INFO, TALK_CHANNEL);
VELLUM_SAME_SHAPE(CUSTOM_VIEW, CROWD_FOLDER);
VELLUM_SAME_SHAPE(CUSTOM_VIEW_ORG, CUSTOM_VIEW_RES);
#undef VELLUM_SAME_SHAPE

#endif  // VELLUM_RECORDS_H
