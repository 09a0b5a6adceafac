#pragma once
// The CueStore: the show's Cues ordered by ascending number, plus the embedded none Cue
// (number 0, all values 0, no Devices, no effects) that find() returns for a number
// no Cue has.
//
// Locking. The ordered list is guarded by the store's own std::shared_mutex, the
// innermost lock of the console (taken after the engine, Event List and mixer locks,
// never held while calling out). Lookups (find, exists, indexOf, names, next free
// number) take it shared, so the engine thread and the DMX input and automation
// threads look Cues up concurrently and only ever wait for a vector insert or erase:
// every Cue is allocated and freed outside the lock. The user interface changes the
// list (create, insert, duplicate, delete, clear) with the engine lock held, which
// keeps the engine thread from rendering a Cue while it is destroyed.
//
// Deleting: a deleted Cue first leaves the list (no lookup can find it any more),
// then every CueDeletionListener (the Mixer) moves layers holding it to the none Cue,
// then it is destroyed. A thread that found the Cue before it left the list and puts
// it on a layer under the mixer lock finishes before the listener (which takes the
// mixer lock) runs, so no layer keeps a destroyed Cue.
//
// The contents of one Cue (values, Devices, effects) are edited with the engine lock
// held; the engine reads them only under that lock.

#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>
#include <utility>
#include <vector>

#include "common/cue_number.h"
#include "show/cue.h"

namespace j4::show {

class Device;

// Told about every Cue the store is about to destroy; the Mixer implements it and puts
// the none Cue on every layer that holds `cue`.
class CueDeletionListener {
  public:
    virtual ~CueDeletionListener() = default;
    virtual void cueDeleted(const Cue* cue) = 0;
};

class CueStore {
  public:
    CueStore() = default;
    CueStore(const CueStore&) = delete;
    CueStore& operator=(const CueStore&) = delete;

    // The Cue with that number, or the none Cue. The pointer stays valid until the Cue
    // is deleted (see Deleting above); never null.
    Cue* find(common::CueNumber number);
    const Cue* find(common::CueNumber number) const;
    Cue* noneCue() { return &none_; }
    const Cue* noneCue() const { return &none_; }
    int indexOf(common::CueNumber number) const;
    bool exists(common::CueNumber number) const;
    int count() const;
    // The Cue at a position of the ordered list, or null.
    Cue* at(int index);
    const Cue* at(int index) const;
    // Numbers of all Cues in order (a snapshot for lists and loops).
    std::vector<common::CueNumber> numbers() const;

    // A number may be given to a new Cue: 1..1 000 000 and not taken. Otherwise the
    // caller shows message 530.
    bool validNewNumber(common::CueNumber number) const;

    // New empty Cue inserted in order; null when the number is not valid and free.
    Cue* create(common::CueNumber number);
    // Inserts a finished Cue in order (snapshot, show file); null (and the Cue
    // destroyed) when its number is not valid and free.
    Cue* insert(std::unique_ptr<Cue> cue);
    // Deep copy of `existing` under `number`; null when the source is missing or the
    // number not valid and free.
    Cue* duplicate(common::CueNumber existing, common::CueNumber number);
    // Deletes `count` Cues from position `first` of the ordered list (clipped to the
    // list). The caller holds the engine lock.
    void deleteRange(int first, int count);
    // Destroys all Cues (not the none Cue), telling the listeners.
    void clear();

    // A suggestion for a new number: the first gap above `from` (0 = from the start).
    common::CueNumber nextFreeNumber(common::CueNumber from = 0) const;
    // Copies of the name and description of find(number).
    std::pair<std::string, std::string> nameAndDescription(common::CueNumber number) const;

    // Patch changes, applied to every Cue holding the Device.
    void removeDeviceFromAll(const Device* device);
    void moveDeviceInAll(const Device& device, int32_t oldBase, int32_t newBase);
    bool deviceUsed(const Device* device) const;

    void addDeletionListener(CueDeletionListener* listener);
    void removeDeletionListener(CueDeletionListener* listener);

  private:
    std::vector<std::unique_ptr<Cue>> takeRange(int first, int count);
    void destroy(std::vector<std::unique_ptr<Cue>> cues);
    size_t lowerBound(common::CueNumber number) const;  // lock held

    mutable std::shared_mutex mutex_;
    std::vector<std::unique_ptr<Cue>> cues_;  // ascending numbers
    Cue none_{common::NONE_CUE};
    std::vector<CueDeletionListener*> listeners_;
};

}  // namespace j4::show
