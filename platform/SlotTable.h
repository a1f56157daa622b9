// The resources of one kind a device holds, by handle (ResourceHandle in GraphicsDevice.h). Both
// devices keep one table per kind.
//
// Slots start at 1 (0 is "none"). Remove moves a slot to its next generation and frees it for a later
// Add, so a released handle never names the resource made after it in the same slot.
//
// Use is the look-up for a handle a device call was given. "None" gives nullptr quietly. A handle that
// names no live entry (released, never made, made by another device) is a programmer's mistake: an
// assertion fails naming the call; where assertions are off the call gets nullptr, is to be refused,
// and one line is logged under "graphics".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/GraphicsDevice.h"

namespace platform {

// Logs that `call` was given a `kind` handle that names nothing live (or not a resource it can take),
// then fails an assertion where assertions are on.
void ReportBadHandle(std::string_view call, std::string_view kind, uint32_t slot, uint32_t generation);

template <typename Handle, typename Entry>
class SlotTable {
public:
    // `kind` names the resources in log lines ("texture", "vertex buffer").
    explicit SlotTable(std::string_view kind) : kind_(kind) {}

    Handle Add(Entry entry) {
        uint32_t slot;
        if (!free_.empty()) {
            slot = free_.back();
            free_.pop_back();
        } else {
            slots_.emplace_back();
            slot = static_cast<uint32_t>(slots_.size());
        }
        Slot& s = slots_[slot - 1];
        s.Value.emplace(std::move(entry));
        ++live_;
        return Handle{slot, s.Generation};
    }

    // The entry the handle names; nullptr for "none" and for a handle that names no live entry.
    Entry* Find(Handle handle) {
        if (handle.Slot == 0 || handle.Slot > slots_.size()) {
            return nullptr;
        }
        Slot& s = slots_[handle.Slot - 1];
        return s.Generation == handle.Generation && s.Value ? &*s.Value : nullptr;
    }
    const Entry* Find(Handle handle) const { return const_cast<SlotTable*>(this)->Find(handle); }

    // Find for a handle `call` was given: a handle other than "none" that names nothing is reported.
    Entry* Use(Handle handle, std::string_view call) {
        Entry* entry = Find(handle);
        if (entry == nullptr && handle) {
            ReportBadHandle(call, kind_, handle.Slot, handle.Generation);
        }
        return entry;
    }

    // Removes the entry the handle names; false (and nothing removed) when it names none.
    bool Remove(Handle handle) {
        if (Find(handle) == nullptr) {
            return false;
        }
        Slot& s = slots_[handle.Slot - 1];
        s.Value.reset();
        ++s.Generation;
        free_.push_back(handle.Slot);
        --live_;
        return true;
    }

    size_t Size() const { return live_; }

    // Calls function(handle, entry) for every live entry, in slot order.
    template <typename Function>
    void ForEach(Function function) {
        for (uint32_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i].Value) {
                function(Handle{i + 1, slots_[i].Generation}, *slots_[i].Value);
            }
        }
    }
    template <typename Function>
    void ForEach(Function function) const {
        for (uint32_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i].Value) {
                function(Handle{i + 1, slots_[i].Generation}, *slots_[i].Value);
            }
        }
    }

private:
    struct Slot {
        uint32_t Generation = 1;
        std::optional<Entry> Value;
    };
    std::string_view kind_;
    std::vector<Slot> slots_;  // slot n at index n - 1
    std::vector<uint32_t> free_;
    size_t live_ = 0;
};

}  // namespace platform
