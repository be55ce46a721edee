// The site file: a site as JSON, written by --dump-site and read by --site, so that a
// client engineer can replay a site of their own. The format:
//
//   { "format": "vellum-site", "version": 1,
//     "cells":        [ {"id", "type", "parentId", "ownerId", "sortOrder", "indexCode", "name"} ],
//     "devices":      [ {"id", "indexCode", "name", "ip", "port", "userName", "password",
//                        "type", "domainId"} ],
//     "cameras":      [ {"id", "device", "cell", "channelNo", "type", "matrixCode", "seqIndex",
//                        "online", "indexCode", "name", "privilege", "recordLocation",
//                        "transPath"} ],
//     "ioChannels":   [ {"id", "device", "cell", "ioType", "indexCode", "name"} ],
//     "talkChannels": [ {"id", "device", "cell", "channelNo", "indexCode", "name"} ],
//     "storeFolders": [ {"id", "parentId", "sortIndex", "name",
//                        "resources": [ {"id", "resType", "resId", "sortIndex", "indexCode"} ]} ],
//     "customViews":  [ {"id", "name", "nodes": [ {"id", "sortIndex", "name",
//                                                  "resources": [ {"id", "camera"} ]} ]} ],
//     "crowdFolders": [ {"id", "name", "resources": [ {"resId", "resType", "name"} ]} ] }
//
// Any section may be left out (it is then empty); within a record every field is
// required and no other is allowed. Numbers are 32-bit integers, "online" is true or
// false, texts are UTF-8 strings.
#ifndef VELLUM_TOOLS_HOST_SITE_JSON_H
#define VELLUM_TOOLS_HOST_SITE_JSON_H

#include <string>

#include "progress.h"
#include "site.h"

// Reads and validates (ValidateSite) the site in `path`. On any fault returns false with
// `error` naming the file and the place, e.g. "site.json: cameras[12].cell: no type-2 cell
// with id 99" or "site.json: malformed JSON: parse error at line 3, column 7: ...".
// `progress`, when given, is told of each JSON object read.
bool LoadSite(const std::string& path, Site& site, std::string& error,
              Progress* progress = nullptr);

// Writes `site` to `path` (replacing it), one record per line. False with `error` set
// when the file cannot be written. `progress`, when given, is told of each record written.
bool WriteSite(const Site& site, const std::string& path, std::string& error,
               Progress* progress = nullptr);

#endif  // VELLUM_TOOLS_HOST_SITE_JSON_H
