// The last actions of a run, as the states to put back.
#include "backup/Backup.h"

#include <algorithm>
#include <utility>

namespace backup {

using regfile::Entry;

namespace {
// Two states are of the same thing when kind (value, key or key removal), root, path and
// name agree without regard to case.
std::tuple<int, reg::Key, std::u16string, std::u16string> Id(const Entry& e) {
    const int sort =
        e.kind == Entry::Kind::kRemoveKey || e.kind == Entry::Kind::kKey ? int(e.kind) : -1;
    return {sort, e.root, Folded(e.path), Folded(e.name)};
}
}  // namespace

void UndoStack::Begin() {
    ++depth_;
}

void UndoStack::End() {
    if (depth_ == 0 || --depth_ > 0) return;
    if (!open_.empty()) done_.push_back(std::move(open_));
    open_.clear();
    openIds_.clear();
}

void UndoStack::Record(const Entry& before) {
    if (depth_ == 0) return;
    if (openIds_.insert(Id(before)).second) open_.push_back(before);
}

std::vector<Entry> UndoStack::Pop() {
    if (done_.empty()) return {};
    std::vector<Entry> states = std::move(done_.back());
    done_.pop_back();
    return states;
}

}  // namespace backup
