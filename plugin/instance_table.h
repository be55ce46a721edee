// The instance function table: making and destroying instances, and freeing lists.
#ifndef VELLUM_PLUGIN_INSTANCE_TABLE_H
#define VELLUM_PLUGIN_INSTANCE_TABLE_H

#include "vellum/plugin.h"

InstanceFuncTable* GetInstanceFuncTable();

#endif  // VELLUM_PLUGIN_INSTANCE_TABLE_H
