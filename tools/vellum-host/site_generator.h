// Generates a realistic site from a seed: a centre, regions, districts and sites as
// type-1 cells, type-2 cells (areas, some nested) under them, devices carrying cameras,
// alarm IO and talk channels, storage folders and resources, custom views and crowd
// data, with names in several scripts.
#ifndef VELLUM_TOOLS_HOST_SITE_GENERATOR_H
#define VELLUM_TOOLS_HOST_SITE_GENERATOR_H

#include <cstdint>
#include <string>
#include <vector>

#include "progress.h"
#include "site.h"

struct SiteSize {
    std::string name;
    int32_t cameras = 0;
    int32_t cells = 0;
};

// The presets of --size, smallest first: small (the default), site and city.
const std::vector<SiteSize>& SizePresets();

struct GeneratorParams {
    uint64_t seed = 1;
    int32_t cameras = 0;           // >= 0
    int32_t cells = 0;             // >= kMinCells
    Progress* progress = nullptr;  // told of each camera made, when given
};

// A centre, a region, a district, a site and one type-2 cell: the least that has the
// tree's four type-1 levels and somewhere for cameras to stand.
constexpr int32_t kMinCells = 5;
constexpr int32_t kMaxCameras = 10000000;
constexpr int32_t kMaxCells = 2000000;

// The same parameters always give the same site. Type-1 cells take ids 1..n1 and
// type-2 cells the ids after them. The result passes ValidateSite.
// REQUIRES: kMinCells <= cells <= kMaxCells, 0 <= cameras <= kMaxCameras.
Site GenerateSite(const GeneratorParams& params);

#endif  // VELLUM_TOOLS_HOST_SITE_GENERATOR_H
