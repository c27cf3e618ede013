#include "AdmChecker.h"

#include <algorithm>
#include <optional>

#include "tools/admgen/AdmTemplate.h"

namespace admgen {

namespace {

// Words of a line; a quoted word keeps its quotes.
std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = line.find_first_not_of(" \t");
    while (i != std::string_view::npos) {
        std::size_t end = line[i] == '"' ? line.find('"', i + 1) : line.find_first_of(" \t", i);
        if (end != std::string_view::npos && line[i] == '"') ++end;
        words.emplace_back(line.substr(i, end == std::string_view::npos ? end : end - i));
        i = end == std::string_view::npos ? end : line.find_first_not_of(" \t", end);
    }
    return words;
}

bool IsQuoted(const std::string& w) {
    return w.size() >= 2 && w.front() == '"' && w.back() == '"';
}

std::string Unquoted(const std::string& w) {
    return w.substr(1, w.size() - 2);
}

// VALUEON and VALUEOFF take a quoted text, NUMERIC and a number, or DELETE.
bool IsData(const std::vector<std::string>& w) {
    if (w.size() == 2) return w[1] == "DELETE" || IsQuoted(w[1]);
    return w.size() == 3 && w[1] == "NUMERIC" &&
           w[2].find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

AdmReading ReadAdm(std::string_view file) {
    AdmReading r;
    struct Ref {
        std::string name;
        std::size_t limit;
        int line;
    };
    std::vector<Ref> refs;
    std::string cls;
    std::optional<AdmPolicy> policy;
    int n = 0, categories = 0, ifs = 0;
    bool inStrings = false;
    auto fault = [&](const std::string& what) {
        r.faults.push_back("line " + std::to_string(n) + ": " + what);
    };
    auto ref = [&](const std::string& w, std::size_t limit) {
        if (w.rfind("!!", 0) != 0) return w;
        refs.push_back({w.substr(2), limit, n});
        return w.substr(2);
    };
    for (std::size_t start = 0; start < file.size();) {
        std::size_t end = std::min(file.find('\n', start), file.size());
        std::string_view line = file.substr(start, end - start);
        start = end + 1;
        ++n;
        if (line.empty() || line.back() != '\r') fault("the line does not end in CR LF");
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string> w = Words(line);
        if (w.empty() || w[0][0] == ';') continue;
        const std::string& k = w[0];
        const bool one = w.size() == 2;
        if (inStrings) {
            const std::size_t eq = line.find('=');
            const std::string name(line.substr(0, eq));
            const std::string value(eq == std::string_view::npos ? "" : line.substr(eq + 1));
            if (name.empty() || name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                       "abcdefghijklmnopqrstuvwxyz0123456789_") !=
                                    std::string::npos)
                fault("a string without a plain name");
            else if (!IsQuoted(value) || Unquoted(value).find('"') != std::string::npos)
                fault("string " + name + " is not one quoted text");
            else if (!r.strings.emplace(name, Unquoted(value)).second)
                fault("string " + name + " is defined twice");
            continue;
        }
        if (line.size() > kMaxAdmLine) fault("the line is too long");
        if (line == "[strings]") {
            if (categories != 0 || policy || ifs != 0) fault("[strings] inside an open block");
            inStrings = true;
        } else if (k == "#if") {
            ++ifs;
        } else if (k == "#endif" && ifs > 0) {
            --ifs;
        } else if (k == "CLASS" && one && (w[1] == "MACHINE" || w[1] == "USER") && !categories) {
            cls = w[1];
        } else if (k == "CATEGORY" && one && !cls.empty() && !policy) {
            ref(w[1], kMaxTitleLength);
            ++categories;
        } else if (k == "POLICY" && one && categories > 0 && !policy) {
            policy = AdmPolicy{cls, ref(w[1], kMaxTitleLength), "", "", "", "", "", ""};
        } else if (k == "EXPLAIN" && one && categories > 0) {
            const std::string name = ref(w[1], kMaxExplainLength);
            if (policy) policy->explain = name;
        } else if (k == "SUPPORTED" && one && policy) {
            // The editor of Windows 2000 refuses the keyword it does not know.
            if (ifs == 0) fault("SUPPORTED outside #if version >= 4");
            policy->supported = ref(w[1], kMaxTitleLength);
        } else if ((k == "KEYNAME" || k == "VALUENAME") && one && IsQuoted(w[1]) && policy) {
            (k == "KEYNAME" ? policy->keyName : policy->valueName) = Unquoted(w[1]);
        } else if ((k == "VALUEON" || k == "VALUEOFF") && policy && IsData(w)) {
            (k == "VALUEON" ? policy->valueOn : policy->valueOff) =
                w.size() == 3 ? w[1] + " " + w[2] : w[1];
        } else if (k == "END" && one && w[1] == "POLICY" && policy) {
            if (policy->keyName.empty()) fault("a policy without KEYNAME");
            if (policy->valueName.empty()) fault("a policy without VALUENAME");
            r.policies.push_back(*policy);
            policy.reset();
        } else if (k == "END" && one && w[1] == "CATEGORY" && categories > 0 && !policy) {
            --categories;
        } else {
            fault("not understood here: " + k);
        }
    }
    if (!inStrings) fault("no [strings] section");
    if (categories != 0 || policy || ifs != 0) fault("a block is not closed");
    for (const Ref& ref : refs) {
        const auto it = r.strings.find(ref.name);
        if (it == r.strings.end())
            r.faults.push_back("line " + std::to_string(ref.line) + ": !!" + ref.name +
                               " is not in [strings]");
        else if (it->second.size() > ref.limit)
            r.faults.push_back("string " + ref.name + " is too long");
    }
    return r;
}

}  // namespace admgen
