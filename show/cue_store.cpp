#include "show/cue_store.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "show/device.h"

namespace j4::show {

using common::CueNumber;

size_t CueStore::lowerBound(CueNumber number) const {
    const auto it = std::lower_bound(
        cues_.begin(), cues_.end(), number,
        [](const std::unique_ptr<Cue>& cue, CueNumber n) { return cue->number() < n; });
    return static_cast<size_t>(it - cues_.begin());
}

Cue* CueStore::find(CueNumber number) {
    std::shared_lock lock(mutex_);
    const size_t i = lowerBound(number);
    if (i < cues_.size() && cues_[i]->number() == number) return cues_[i].get();
    return &none_;
}

const Cue* CueStore::find(CueNumber number) const {
    return const_cast<CueStore*>(this)->find(number);
}

int CueStore::indexOf(CueNumber number) const {
    std::shared_lock lock(mutex_);
    const size_t i = lowerBound(number);
    return i < cues_.size() && cues_[i]->number() == number ? static_cast<int>(i) : -1;
}

bool CueStore::exists(CueNumber number) const {
    return indexOf(number) >= 0;
}

int CueStore::count() const {
    std::shared_lock lock(mutex_);
    return static_cast<int>(cues_.size());
}

Cue* CueStore::at(int index) {
    std::shared_lock lock(mutex_);
    return index >= 0 && index < static_cast<int>(cues_.size()) ? cues_[index].get() : nullptr;
}

const Cue* CueStore::at(int index) const {
    return const_cast<CueStore*>(this)->at(index);
}

std::vector<CueNumber> CueStore::numbers() const {
    std::vector<CueNumber> out;
    std::shared_lock lock(mutex_);
    out.reserve(cues_.size());
    for (const auto& cue : cues_) out.push_back(cue->number());
    return out;
}

bool CueStore::validNewNumber(CueNumber number) const {
    return common::isCueNumber(number) && !exists(number);
}

Cue* CueStore::create(CueNumber number) {
    std::unique_ptr<Cue> cue;
    try {
        cue = std::make_unique<Cue>(number);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return insert(std::move(cue));
}

Cue* CueStore::insert(std::unique_ptr<Cue> cue) {
    if (!cue || !common::isCueNumber(cue->number())) return nullptr;
    std::unique_lock lock(mutex_);
    const size_t i = lowerBound(cue->number());
    if (i < cues_.size() && cues_[i]->number() == cue->number()) return nullptr;
    Cue* raw = cue.get();
    try {
        cues_.insert(cues_.begin() + static_cast<std::ptrdiff_t>(i), std::move(cue));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return raw;
}

Cue* CueStore::duplicate(CueNumber existing, CueNumber number) {
    std::unique_ptr<Cue> copy;
    {
        std::shared_lock lock(mutex_);
        const size_t i = lowerBound(existing);
        if (i >= cues_.size() || cues_[i]->number() != existing) return nullptr;
        // The copy is made under the shared lock (only the user-interface thread changes
        // the list, so this never waits on a writer) to keep the source alive.
        copy = cues_[i]->duplicate(number);
    }
    return insert(std::move(copy));
}

std::vector<std::unique_ptr<Cue>> CueStore::takeRange(int first, int count) {
    std::vector<std::unique_ptr<Cue>> taken;
    std::unique_lock lock(mutex_);
    // The part of [first, first + count) that lies inside the list.
    const int64_t size = static_cast<int64_t>(cues_.size());
    const int from = static_cast<int>(std::clamp<int64_t>(first, 0, size));
    const int to = static_cast<int>(std::clamp<int64_t>(int64_t{first} + count, from, size));
    if (from >= to) return taken;
    taken.reserve(static_cast<size_t>(to - from));
    for (int i = from; i < to; ++i) taken.push_back(std::move(cues_[i]));
    cues_.erase(cues_.begin() + from, cues_.begin() + to);
    return taken;
}

void CueStore::destroy(std::vector<std::unique_ptr<Cue>> cues) {
    // Out of the list already: no lookup finds them. Layers let go, then they die.
    for (const auto& cue : cues)
        for (CueDeletionListener* listener : listeners_) listener->cueDeleted(cue.get());
    cues.clear();
}

void CueStore::deleteRange(int first, int count) {
    destroy(takeRange(first, count));
}

void CueStore::clear() {
    destroy(takeRange(0, this->count()));
}

CueNumber CueStore::nextFreeNumber(CueNumber from) const {
    const std::vector<CueNumber> n = numbers();
    // The first number at or above `v` that no Cue has (may pass LAST_CUE).
    const auto firstFreeFrom = [&n](int64_t v) {
        for (auto it = std::lower_bound(n.begin(), n.end(), v); it != n.end() && *it == v; ++it)
            ++v;
        return v;
    };
    // The first gap above the starting value (0 = from the start, so 1 when Cue 1 is
    // free); with no gap, the number after the last Cue.
    const int64_t above = firstFreeFrom(int64_t{std::max<CueNumber>(from, 0)} + 1);
    if (above <= common::LAST_CUE) return static_cast<CueNumber>(above);
    // Nothing free above: the first gap from the beginning, or 1 when all are taken.
    const int64_t any = firstFreeFrom(1);
    return any <= common::LAST_CUE ? static_cast<CueNumber>(any) : 1;
}

std::pair<std::string, std::string> CueStore::nameAndDescription(CueNumber number) const {
    std::shared_lock lock(mutex_);
    const size_t i = lowerBound(number);
    if (i < cues_.size() && cues_[i]->number() == number)
        return {cues_[i]->name(), cues_[i]->description()};
    return {none_.name(), none_.description()};
}

void CueStore::removeDeviceFromAll(const Device* device) {
    std::shared_lock lock(mutex_);
    for (const auto& cue : cues_) cue->removeDevice(device);
}

void CueStore::moveDeviceInAll(const Device& device, int32_t oldBase, int32_t newBase) {
    std::shared_lock lock(mutex_);
    for (const auto& cue : cues_)
        if (cue->containsDevice(&device)) cue->moveDeviceValues(device, oldBase, newBase);
}

bool CueStore::deviceUsed(const Device* device) const {
    std::shared_lock lock(mutex_);
    return std::any_of(cues_.begin(), cues_.end(),
                       [device](const auto& cue) { return cue->containsDevice(device); });
}

void CueStore::addDeletionListener(CueDeletionListener* listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void CueStore::removeDeletionListener(CueDeletionListener* listener) {
    std::erase(listeners_, listener);
}

}  // namespace j4::show
