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

ApplyReport Run(BackedUpRegistry& registry, const std::vector<Entry>& entries,
                const ApplyContext& context, bool newestFirst) {
    ApplyReport report;
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
        case Entry::Kind::kDeleteValue:
            return Delete(registry, e.root, e.path, e.name);
        case Entry::Kind::kRemoveKey: {
            reg::Status first = reg::kSuccess;
            for (const managed::ValueRef& v :
                 managed::ValuesUnder(e.root, e.path, context.userName)) {
                const reg::Status s = Delete(registry, e.root, v.path, v.name);
                if (first == reg::kSuccess) first = s;
            }
            if (first != reg::kSuccess || !context.removeEmptyKey) return first;
            for (const std::u16string& key : managed::CreatableKeysUnder(e.root, e.path)) {
                const reg::Status s = context.removeEmptyKey(e.root, key);
                if (s != reg::kSuccess && s != reg::kFileNotFound) return s;
            }
            return reg::kSuccess;
        }
    }
    return reg::kInvalidParameter;
}

RemoveEmptyKey RemoveIfEmpty(reg::RegistryApi& registry) {
    return [&registry](reg::Key root, const std::u16string& path) {
        reg::Status status = reg::kSuccess;
        reg::UniqueKey key =
            reg::UniqueKey::Open(registry, root, path, reg::kKeyQueryValue, &status);
        if (!key) return status;
        char16_t name[2];
        std::uint32_t size = 2;
        status =
            registry.RegEnumValueW(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr);
        key.Close();
        // A value someone else put there keeps the key, as it keeps the value.
        if (status != reg::kNoMoreItems) return status == reg::kMoreData ? reg::kSuccess : status;
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
    return Run(registry, entries, context, false);
}

ApplyReport Undo(BackedUpRegistry& registry, UndoStack& undo, const ApplyContext& context) {
    return Run(registry, undo.Pop(), context, true);
}

}  // namespace backup
