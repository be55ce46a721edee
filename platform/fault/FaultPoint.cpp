// The component fault points, one static instance each.
#include "platform/fault/FaultPoint.h"

#include <initializer_list>

namespace vellum::fault {

#define VELLUM_FAULT_POINT(Name) \
    FaultPoint& Name() {         \
        static FaultPoint point; \
        return point;            \
    }
VELLUM_FAULT_POINT(Storage)
VELLUM_FAULT_POINT(ObjFactory)
VELLUM_FAULT_POINT(Random)
VELLUM_FAULT_POINT(ModulePath)
VELLUM_FAULT_POINT(IniRead)
VELLUM_FAULT_POINT(CodePage)
#undef VELLUM_FAULT_POINT

void DisarmAll() {
    for (FaultPoint* p : {&Storage(), &ObjFactory(), &Random(), &ModulePath(), &IniRead(), &CodePage()})
        p->Disarm();
}

}  // namespace vellum::fault
