// The last actions of a run, as the states to put back.
#include "backup/Backup.h"

#include <algorithm>
#include <utility>

namespace backup {

using regfile::Entry;

namespace {
// Two states are of the same thing when kind (value, key or key removal), root, path and
// name agree without regard to case.
bool SameThing(const Entry& a, const Entry& b) {
    const auto sort = [](const Entry& e) {
        return e.kind == Entry::Kind::kRemoveKey || e.kind == Entry::Kind::kKey ? int(e.kind) : -1;
    };
    return sort(a) == sort(b) && a.root == b.root && Folded(a.path) == Folded(b.path) &&
           Folded(a.name) == Folded(b.name);
}
}  // namespace

void UndoStack::Begin() {
    ++depth_;
}

void UndoStack::End() {
    if (depth_ == 0 || --depth_ > 0) return;
    if (!open_.empty()) done_.push_back(std::move(open_));
    open_.clear();
}

void UndoStack::Record(const Entry& before) {
    if (depth_ == 0) return;
    const bool known = std::any_of(open_.begin(), open_.end(),
                                   [&](const Entry& e) { return SameThing(e, before); });
    if (!known) open_.push_back(before);
}

std::vector<Entry> UndoStack::Pop() {
    if (done_.empty()) return {};
    std::vector<Entry> states = std::move(done_.back());
    done_.pop_back();
    return states;
}

void UndoStack::Push(std::vector<Entry> states) {
    if (!states.empty()) done_.push_back(std::move(states));
}

}  // namespace backup
