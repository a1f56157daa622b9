#include "platform/SlotTable.h"

#include <cassert>
#include <string>

#include "util/Log.h"

namespace platform {

void ReportBadHandle(std::string_view call, std::string_view kind, uint32_t slot, uint32_t generation) {
    logging::Write("graphics", std::string(call) + ": the " + std::string(kind) + " handle (slot " +
                                   std::to_string(slot) + ", generation " + std::to_string(generation) +
                                   ") names nothing live; call refused");
    assert(!"ReportBadHandle: a device call was given a released or unknown handle");
}

}  // namespace platform
