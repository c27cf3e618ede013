#include "backup/Restore.h"

#include "backup/Managed.h"

namespace backup {

using regfile::Entry;

namespace {

reg::Status CreateKey(reg::RegistryApi& registry, reg::Key root, const std::u16string& path,
                      reg::UniqueKey& key) {
    reg::Key created = reg::kNullKey;
    const reg::Status status = registry.RegCreateKeyExW(
        root, path.c_str(), 0, nullptr, reg::kOptionNonVolatile,
        reg::kKeySetValue | reg::kKeyQueryValue, nullptr, &created, nullptr);
    if (status == reg::kSuccess) key = reg::UniqueKey(registry, created);
    return status;
}

reg::Status Delete(reg::RegistryApi& registry, reg::Key root, const std::u16string& path,
                   const std::u16string& name) {
    reg::Status status = reg::kSuccess;
    reg::UniqueKey key = reg::UniqueKey::Open(registry, root, path, reg::kKeySetValue, &status);
    if (status == reg::kFileNotFound) return reg::kSuccess;
    if (!key) return status;
    status = registry.RegDeleteValueW(key.get(), name.c_str());
    return status == reg::kFileNotFound ? reg::kSuccess : status;
}

ApplyReport Run(BackedUpRegistry& registry, const std::vector<Entry>& entries, ApplyContext context,
                bool newestFirst) {
    ApplyReport report;
    context.kept = &report.kept;
    registry.TakeFailure();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[newestFirst ? entries.size() - 1 - i : i];
        if (Apply(registry, e, context) != reg::kSuccess) report.failed.push_back(e);
        const std::string why = registry.TakeFailure();
        if (report.why.empty()) report.why = why;
    }
    return report;
}

}  // namespace

reg::Status Apply(reg::RegistryApi& registry, const Entry& e, const ApplyContext& context) {
    switch (e.kind) {
        case Entry::Kind::kComment:
            return reg::kSuccess;
        case Entry::Kind::kKey: {
            reg::UniqueKey key;
            return CreateKey(registry, e.root, e.path, key);
        }
        case Entry::Kind::kValue: {
            reg::Status status = reg::kSuccess;
            reg::UniqueKey key =
                reg::UniqueKey::Open(registry, e.root, e.path, reg::kKeySetValue, &status);
            if (status == reg::kFileNotFound) status = CreateKey(registry, e.root, e.path, key);
            if (!key) return status;
            return registry.RegSetValueExW(key.get(), e.name.c_str(), 0, e.type, e.data.data(),
                                           static_cast<std::uint32_t>(e.data.size()));
        }
        case Entry::Kind::kDeleteValue: {
            const reg::Status status = Delete(registry, e.root, e.path, e.name);
            if (status != reg::kSuccess || !context.removeEmptyKey || !context.removeEmptiedKeys)
                return status;
            // A backup deletes what Dovrane set in a key it made; the key
            // goes again too once nothing is left in it.
            for (const std::u16string& key : managed::CreatableKeysHolding(e.root, e.path)) {
                const reg::Status s = context.removeEmptyKey(e.root, key, nullptr);
                if (s != reg::kSuccess && s != reg::kFileNotFound) return s;
            }
            return reg::kSuccess;
        }
        case Entry::Kind::kRemoveKey: {
            reg::Status first = reg::kSuccess;
            for (const managed::ValueRef& v :
                 managed::ValuesUnder(e.root, e.path, context.userName)) {
                const reg::Status s = Delete(registry, e.root, v.path, v.name);
                if (first == reg::kSuccess) first = s;
            }
            if (first != reg::kSuccess || !context.removeEmptyKey) return first;
            for (const std::u16string& key : managed::CreatableKeysUnder(e.root, e.path)) {
                std::u16string held;
                const reg::Status s = context.removeEmptyKey(e.root, key, &held);
                if (s != reg::kSuccess && s != reg::kFileNotFound) return s;
                if (!held.empty() && context.kept != nullptr)
                    context.kept->push_back({e.root, key, held});
            }
            return reg::kSuccess;
        }
    }
    return reg::kInvalidParameter;
}

RemoveEmptyKey RemoveIfEmpty(reg::RegistryApi& registry) {
    return [&registry](reg::Key root, const std::u16string& path, std::u16string* held) {
        reg::Status status = reg::kSuccess;
        reg::UniqueKey key =
            reg::UniqueKey::Open(registry, root, path, reg::kKeyQueryValue, &status);
        if (!key) return status;
        std::u16string name(16384, u'\0');  // the longest name the registry takes, and its NUL
        auto size = static_cast<std::uint32_t>(name.size());
        status = registry.RegEnumValueW(key.get(), 0, name.data(), &size, nullptr, nullptr, nullptr,
                                        nullptr);
        key.Close();
        // A value someone else put there keeps the key, as it keeps the value.
        if (status == reg::kSuccess) {
            // The default value has no name: the user knows it as (Default).
            if (held != nullptr) *held = size > 0 ? name.substr(0, size) : u"(Default)";
            return reg::kSuccess;
        }
        if (status != reg::kNoMoreItems) return status;
        status = registry.RegDeleteKeyW(root, path.c_str());
        if (status != reg::kAccessDenied) return status;
        // Refused although the key may be deleted: it holds a subkey (an
        // installer's UserList below SpecialAccounts, say). It stays, and
        // that is done, as for a value: never a whole tree.
        reg::UniqueKey deletable = reg::UniqueKey::Open(registry, root, path, reg::kDelete);
        return deletable ? reg::kSuccess : status;
    };
}

ApplyReport ApplyAll(BackedUpRegistry& registry, UndoStack& undo, const std::vector<Entry>& entries,
                     const ApplyContext& context) {
    UndoStack::Action action(undo);
    ApplyContext restoring = context;
    restoring.removeEmptiedKeys = true;
    return Run(registry, entries, restoring, false);
}

ApplyReport Undo(BackedUpRegistry& registry, UndoStack& undo, const ApplyContext& context) {
    return Run(registry, undo.Pop(), context, true);
}

}  // namespace backup
